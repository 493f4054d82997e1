// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace korvanta::artwork {

namespace {
const QColor kCasingLight(0xe9, 0xec, 0xf0);
const QColor kCasingDark(0xb8, 0xbf, 0xc8);
const QColor kPanel(0x2c, 0x3e, 0x50);
const QColor kAccent(0x1f, 0x7a, 0xc4);

QPixmap blank(const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The scene is drawn in a fixed 200 x 120 space and scaled to the picture.
void useScene(QPainter &p, const QSize &size, qreal w = 200, qreal h = 120)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal s = qMin(size.width() / w, size.height() / h);
    p.translate((size.width() - w * s) / 2, (size.height() - h * s) / 2);
    p.scale(s, s);
}

void lamp(QPainter &p, QPointF at, const QColor &colour, const QString &label)
{
    QRadialGradient glow(at, 4);
    glow.setColorAt(0, colour.lighter(160));
    glow.setColorAt(1, colour);
    p.setPen(QPen(colour.darker(160), 0.6));
    p.setBrush(glow);
    p.drawEllipse(at, 2.6, 2.6);
    QFont f = p.font();
    f.setPointSizeF(3.4);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(0xdd, 0xe6, 0xee));
    p.drawText(QRectF(at.x() - 15, at.y() + 3.5, 30, 7), Qt::AlignHCenter | Qt::AlignTop, label);
}

void jack(QPainter &p, const QRectF &r, const QString &label, bool dsub = false)
{
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 0.8));
    p.setBrush(QColor(0x3a, 0x3a, 0x3a));
    if (dsub) {
        QPainterPath path;
        path.moveTo(r.topLeft());
        path.lineTo(r.topRight());
        path.lineTo(r.right() - 3, r.bottom());
        path.lineTo(r.left() + 3, r.bottom());
        path.closeSubpath();
        p.drawPath(path);
        p.setBrush(QColor(0xc8, 0xa8, 0x40));
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 5; ++i)
            p.drawEllipse(QPointF(r.left() + 4 + i * (r.width() - 8) / 4, r.top() + r.height() * 0.35), 0.8, 0.8);
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QPointF(r.left() + 6 + i * (r.width() - 12) / 3, r.top() + r.height() * 0.7), 0.8, 0.8);
    } else {
        p.drawRoundedRect(r, 1, 1);
        p.setBrush(QColor(0x10, 0x10, 0x10));
        p.drawRect(r.adjusted(r.width() * 0.2, r.height() * 0.25, -r.width() * 0.2, -r.height() * 0.1));
    }
    QFont f = p.font();
    f.setPointSizeF(4.2);
    p.setFont(f);
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.drawText(QRectF(r.center().x() - 14, r.bottom() + 1.5, 28, 7), Qt::AlignHCenter | Qt::AlignTop, label);
}

// A face of the casing, lit from above.
void face(QPainter &p, const QRectF &r)
{
    QLinearGradient shade(0, r.top(), 0, r.bottom());
    shade.setColorAt(0, kCasingLight);
    shade.setColorAt(1, kCasingDark);
    p.setPen(QPen(QColor(0x80, 0x88, 0x90), 0.8));
    p.setBrush(shade);
    p.drawRoundedRect(r, 3, 3);
}

// The casing as a box seen slightly from above; returns the front face.
QRectF casing(QPainter &p)
{
    const QRectF front(14, 44, 172, 58);
    QPainterPath top;
    top.moveTo(front.topLeft());
    top.lineTo(front.left() + 16, front.top() - 26);
    top.lineTo(front.right() - 4, front.top() - 26);
    top.lineTo(front.topRight());
    top.closeSubpath();
    QLinearGradient topShade(0, front.top() - 26, 0, front.top());
    topShade.setColorAt(0, kCasingLight.lighter(104));
    topShade.setColorAt(1, kCasingDark);
    p.setPen(QPen(QColor(0x80, 0x88, 0x90), 0.8));
    p.setBrush(topShade);
    p.drawPath(top);
    // ventilation slots on the top
    p.setPen(QPen(QColor(0x9a, 0xa2, 0xaa), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 7; ++i) {
        const qreal x = front.left() + 100 + i * 9;
        p.drawLine(QPointF(x, front.top() - 19), QPointF(x - 4, front.top() - 6));
    }
    face(p, front);
    // feet
    p.setBrush(QColor(0x40, 0x40, 0x40));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(front.left() + 10, front.bottom(), 16, 4), 1.5, 1.5);
    p.drawRoundedRect(QRectF(front.right() - 26, front.bottom(), 16, 4), 1.5, 1.5);
    return front;
}
} // namespace

QPixmap adapterFront(const QSize &size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    useScene(p, size);
    const QRectF front = casing(p);

    // name plate
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPointSizeF(10);
    p.setFont(f);
    p.setPen(kPanel);
    p.drawText(QRectF(front.left() + 8, front.top() + 5, 90, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("KORVAN-TA"));
    f.setBold(false);
    f.setPointSizeF(4.5);
    p.setFont(f);
    p.setPen(QColor(0x55, 0x60, 0x6a));
    p.drawText(QRectF(front.left() + 8, front.top() + 20, 90, 8), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("ISDN TERMINAL ADAPTER"));
    p.setPen(QPen(kAccent, 1.6));
    p.drawLine(QPointF(front.left() + 8, front.top() + 30), QPointF(front.left() + 76, front.top() + 30));

    // lamp panel
    const QRectF panel(front.left() + 8, front.top() + 35, front.width() - 16, 18);
    p.setPen(Qt::NoPen);
    p.setBrush(kPanel);
    p.drawRoundedRect(panel, 2.5, 2.5);
    const struct {
        QColor colour;
        const char *label;
    } lamps[] = {{QColor(0x3c, 0xd0, 0x5a), "POWER"}, {QColor(0x3c, 0xd0, 0x5a), "LINE"},
                 {QColor(0xf0, 0xa0, 0x30), "B1"},     {QColor(0x60, 0x60, 0x60), "B2"},
                 {QColor(0xf0, 0xa0, 0x30), "TEL"},    {QColor(0x60, 0x60, 0x60), "DATA"},
                 {QColor(0x3c, 0xa0, 0xf0), "USB"}};
    const int count = int(std::size(lamps));
    for (int i = 0; i < count; ++i)
        lamp(p, QPointF(panel.left() + 20 + i * (panel.width() - 40) / (count - 1), panel.top() + 6),
             lamps[i].colour, QString::fromLatin1(lamps[i].label));

    // a small grille on the right of the name plate
    p.setPen(QPen(QColor(0x98, 0xa0, 0xa8), 1.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(front.right() - 56 + i * 10, front.top() + 8),
                   QPointF(front.right() - 56 + i * 10, front.top() + 26));
    return pixmap;
}

QPixmap adapterBack(const QSize &size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    useScene(p, size, 200, 70);
    const QRectF back(4, 8, 192, 50);
    face(p, back);

    const qreal y = back.top() + 12;
    jack(p, QRectF(back.left() + 8, y, 15, 12), QStringLiteral("ISDN"));
    for (int i = 0; i < 3; ++i)
        jack(p, QRectF(back.left() + 34 + i * 22, y + 1, 12, 10), QStringLiteral("TEL%1").arg(i + 1));
    jack(p, QRectF(back.left() + 104, y, 30, 11), QStringLiteral("DATA"), true);
    jack(p, QRectF(back.left() + 144, y + 2, 12, 7), QStringLiteral("USB"));
    // power inlet
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 0.8));
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawEllipse(QPointF(back.right() - 16, y + 6), 5, 5);
    p.setBrush(QColor(0xb0, 0xb0, 0xb0));
    p.drawEllipse(QPointF(back.right() - 16, y + 6), 1.4, 1.4);
    QFont f = p.font();
    f.setPointSizeF(4.2);
    p.setFont(f);
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.drawText(QRectF(back.right() - 30, y + 13.5, 28, 7), Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("DC IN"));
    return pixmap;
}

QPixmap telephone(const QSize &size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    useScene(p, size, 100, 70);

    // body
    QPainterPath body;
    body.moveTo(18, 62);
    body.lineTo(82, 62);
    body.lineTo(74, 30);
    body.lineTo(26, 30);
    body.closeSubpath();
    QLinearGradient shade(0, 30, 0, 62);
    shade.setColorAt(0, QColor(0xf6, 0xf3, 0xea));
    shade.setColorAt(1, QColor(0xd6, 0xd0, 0xc0));
    p.setPen(QPen(QColor(0x8a, 0x84, 0x74), 1));
    p.setBrush(shade);
    p.drawPath(body);
    // keypad
    p.setBrush(QColor(0x70, 0x78, 0x80));
    p.setPen(Qt::NoPen);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawRoundedRect(QRectF(38 + c * 8.5, 36 + r * 6, 6, 4), 1, 1);
    // handset
    QPainterPath handset;
    handset.moveTo(12, 26);
    handset.cubicTo(14, 12, 86, 12, 88, 26);
    handset.lineTo(76, 28);
    handset.cubicTo(72, 21, 28, 21, 24, 28);
    handset.closeSubpath();
    p.setPen(QPen(QColor(0x1a, 0x4f, 0x80), 1));
    p.setBrush(kAccent);
    p.drawPath(handset);
    p.drawRoundedRect(QRectF(8, 24, 20, 7), 3, 3);
    p.drawRoundedRect(QRectF(72, 24, 20, 7), 3, 3);
    // cord
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath cord;
    cord.moveTo(82, 56);
    for (int i = 0; i < 5; ++i)
        cord.cubicTo(86 + i * 2, 52, 88 + i * 2, 60, 84 + i * 2.4, 58);
    p.drawPath(cord);
    return pixmap;
}

Picture::Picture(const QPixmap &picture, QWidget *parent) : QLabel(parent)
{
    setPixmap(picture);
}

void Picture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    style()->drawItemPixmap(&painter, contentsRect(), int(alignment()), pixmap());
}

} // namespace korvanta::artwork
