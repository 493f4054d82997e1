// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/style.h"

#include <QApplication>
#include <QColor>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStaticText>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>
#include <cmath>
#include <vector>

namespace korvanta {

namespace {

// Fusion with what a settings window paints over and over made cheap: group
// frames as plain etched lines instead of scaled pixmaps, captions laid out
// once per text and font instead of at every paint, radio indicators drawn
// once per look, group-box geometry worked out once per size and title.
class UtilityStyle : public QProxyStyle {
public:
    UtilityStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_FrameGroupBox)
            drawGroupFrame(option, painter, widget);
        else if (element == PE_IndicatorRadioButton)
            drawRadioIndicator(option, painter, widget);
        else
            QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    // Texts with line breaks or wrapping, or that do not fit, are drawn as
    // Fusion draws them; the others from a layout kept for each text and font,
    // where Fusion lays the text out at every paint.
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette, bool enabled,
                      const QString &text, QPalette::ColorRole textRole = QPalette::NoRole) const override
    {
        // A text without a tab draws the same whether tabs expand or not
        // (every label asks for that).
        constexpr int kPlainOnly = Qt::TextWordWrap | Qt::TextWrapAnywhere | Qt::TextJustificationForced;
        if (text.isEmpty() || (flags & kPlainOnly) || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\t'))) {
            QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
            return;
        }
        const Caption &laidOut = caption(text, flags & (Qt::TextShowMnemonic | Qt::TextHideMnemonic), painter->font());
        const QSizeF size = laidOut.text.size();
        if (size.width() > rect.width() + 0.5 || size.height() > rect.height() + 0.5) {
            QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
            return;
        }
        const Qt::Alignment align = QStyle::visualAlignment(painter->layoutDirection(), Qt::Alignment(flags));
        qreal x = rect.left();
        if (align & Qt::AlignRight)
            x = rect.right() + 1 - size.width();
        else if (align & Qt::AlignHCenter)
            x = rect.left() + (rect.width() - size.width()) / 2;
        qreal y = rect.top();
        if (align & Qt::AlignBottom)
            y = rect.bottom() + 1 - size.height();
        else if (align & Qt::AlignVCenter)
            y = rect.top() + (rect.height() - size.height()) / 2;
        const QPointF at(qRound(x), qRound(y));
        const QPen saved = painter->pen();
        if (textRole != QPalette::NoRole)
            painter->setPen(QPen(palette.brush(textRole), saved.widthF()));
        drawCaption(painter, at, laidOut);
        painter->setPen(saved);
    }

    // A button measures its caption here for its size hint, with no
    // rectangle to place it in: the measure is kept for each font and caption,
    // where Fusion shapes the text anew for every button of every window.
    QRect itemTextRect(const QFontMetrics &metrics, const QRect &rect, int flags, bool enabled,
                       const QString &text) const override
    {
        if (!rect.isNull() || text.isEmpty())
            return QProxyStyle::itemTextRect(metrics, rect, flags, enabled, text);
        // Metrics compare equal when they are of the one font they share.
        auto font = std::find_if(m_measures.begin(), m_measures.end(),
                                 [&metrics](const Measures &m) { return m.metrics == metrics; });
        if (font == m_measures.end()) {
            if (m_measures.size() >= kMaxFonts)
                m_measures.clear();
            font = m_measures.insert(m_measures.end(), Measures{metrics, {}});
        }
        const MeasureKey key{flags, enabled, text};
        auto it = font->rects.constFind(key);
        if (it == font->rects.constEnd()) {
            if (font->rects.size() > kMaxEntries)
                font->rects.clear();
            it = font->rects.insert(key, QProxyStyle::itemTextRect(metrics, rect, flags, enabled, text));
        }
        return *it;
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                         const QWidget *widget) const override
    {
        const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
        if (control != CC_GroupBox || !box || !widget)
            return QProxyStyle::subControlRect(control, option, sub, widget);
        // Each part follows from the size, the title, the font and the kind
        // of box; Fusion measures the title anew at every call.
        const GroupPartKey key{int(sub),
                               box->rect.size(),
                               int(box->features),
                               int(box->textAlignment),
                               box->lineWidth,
                               box->midLineWidth,
                               int(box->direction),
                               int(box->subControls),
                               widget->font(),
                               box->text};
        auto it = m_groupParts.constFind(key);
        if (it == m_groupParts.constEnd()) {
            if (m_groupParts.size() > kMaxEntries)
                m_groupParts.clear();
            QStyleOptionGroupBox atOrigin = *box;
            atOrigin.rect.moveTo(0, 0);
            it = m_groupParts.insert(key, QProxyStyle::subControlRect(control, &atOrigin, sub, widget));
        }
        return it->translated(box->rect.topLeft());
    }

private:
    static constexpr int kMaxEntries = 2000; // captions are few; anything else comes and goes
    static constexpr size_t kMaxFonts = 16;

    // An etched frame, a dark line with a light one inside it, below the
    // title where Fusion puts its own; filled rather than stroked.
    void drawGroupFrame(const QStyleOption *option, QPainter *painter, const QWidget *widget) const
    {
        constexpr int kTopMargin = 3;
        const auto *box = qobject_cast<const QGroupBox *>(widget);
        const int top = box && !box->isCheckable() && box->title().isEmpty()
                            ? kTopMargin
                            : qMax(proxy()->pixelMetric(PM_ExclusiveIndicatorHeight, option, widget),
                                   option->fontMetrics.height())
                                  + kTopMargin;
        const QRect r = option->rect.adjusted(0, top, 0, 0);
        const auto frame = [painter](const QRect &box, const QColor &color) {
            painter->fillRect(box.left(), box.top(), box.width(), 1, color);
            painter->fillRect(box.left(), box.bottom(), box.width(), 1, color);
            painter->fillRect(box.left(), box.top(), 1, box.height(), color);
            painter->fillRect(box.right(), box.top(), 1, box.height(), color);
        };
        frame(r.adjusted(1, 1, 0, 0), option->palette.color(QPalette::Light));
        frame(r.adjusted(0, 0, -1, -1), option->palette.color(QPalette::Mid));
    }

    // Fusion's own indicator, drawn once for each look into a pixmap.
    void drawRadioIndicator(const QStyleOption *option, QPainter *painter, const QWidget *widget) const
    {
        constexpr QStyle::State kLook = State_On | State_Off | State_NoChange | State_Enabled | State_Sunken
                                        | State_MouseOver | State_HasFocus | State_Active;
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const IndicatorKey key{int(option->state & kLook), option->rect.size(), option->palette.cacheKey(), ratio};
        auto it = m_indicators.constFind(key);
        if (it == m_indicators.constEnd()) {
            QPixmap look(option->rect.size() * ratio);
            look.setDevicePixelRatio(ratio);
            look.fill(Qt::transparent);
            QPainter p(&look);
            QStyleOption atOrigin = *option;
            atOrigin.rect.moveTo(0, 0);
            QProxyStyle::drawPrimitive(PE_IndicatorRadioButton, &atOrigin, &p, widget);
            p.end();
            if (m_indicators.size() > kMaxEntries)
                m_indicators.clear();
            it = m_indicators.insert(key, look);
        }
        const QPixmap &look = *it;
        painter->drawPixmap(option->rect.topLeft(), look);
    }

    // A caption as drawn: the text without its mnemonic marks, laid out, and
    // the underlines of the characters they mark, as a text layout draws them.
    struct Caption {
        QStaticText text;
        QList<QLineF> underlines; // from the top left of the text
        qreal underlineWidth = 0;
    };

    static void drawCaption(QPainter *painter, const QPointF &at, const Caption &caption)
    {
        painter->drawStaticText(at, caption.text);
        if (caption.underlines.isEmpty())
            return;
        const QPen pen = painter->pen();
        QPen line = pen;
        line.setStyle(Qt::SolidLine);
        line.setWidthF(caption.underlineWidth);
        line.setCapStyle(Qt::FlatCap);
        painter->setPen(line);
        for (const QLineF &underline : caption.underlines)
            painter->drawLine(underline.translated(at));
        painter->setPen(pen);
    }

    // mnemonics: Qt::TextShowMnemonic, Qt::TextHideMnemonic or neither (an
    // "&" is then a character like any other).
    const Caption &caption(const QString &text, int mnemonics, const QFont &font) const
    {
        if (m_captions.size() > kMaxEntries)
            m_captions.clear();
        const CaptionKey key{font, text, mnemonics};
        auto it = m_captions.find(key);
        if (it == m_captions.end()) {
            // "&&" stands for "&"; any other "&" marks the character after
            // it, underlined when mnemonics show.
            QString shown = text;
            QList<qsizetype> marked;
            if (mnemonics) {
                shown.clear();
                for (qsizetype i = 0; i < text.size(); ++i) {
                    if (text[i] == u'&' && ++i < text.size() && text[i] != u'&' && (mnemonics & Qt::TextShowMnemonic))
                        marked << shown.size();
                    if (i < text.size())
                        shown += text[i];
                }
            }
            Caption laidOut{QStaticText(shown), {}, 0};
            laidOut.text.setTextFormat(Qt::PlainText);
            laidOut.text.prepare(QTransform(), font);
            const QFontMetricsF metrics(font);
            laidOut.underlineWidth = metrics.lineWidth();
            // Below the baseline by the font's own offset rounded up, but
            // within its descent.
            const qreal offset = metrics.underlinePos();
            qreal below = std::ceil(offset) + 0.5;
            if (offset <= metrics.descent())
                below = qMin(below, metrics.descent() - 0.5);
            for (const qsizetype i : marked) {
                const qreal left = metrics.horizontalAdvance(shown.left(i));
                const qreal right = left + metrics.horizontalAdvance(shown.mid(i, 1));
                const qreal y = metrics.ascent() + below;
                laidOut.underlines << QLineF(std::floor(left), y, std::floor(right), y);
            }
            it = m_captions.insert(key, laidOut);
        }
        return *it;
    }

    struct CaptionKey {
        QFont font;
        QString text;
        int mnemonics;
        bool operator==(const CaptionKey &) const = default;
        friend size_t qHash(const CaptionKey &k, size_t seed = 0) { return qHashMulti(seed, k.font, k.text, k.mnemonics); }
    };
    struct GroupPartKey {
        int sub;
        QSize size;
        int features, alignment, lineWidth, midLineWidth, direction, subControls;
        QFont font;
        QString text;
        bool operator==(const GroupPartKey &o) const
        {
            return sub == o.sub && size == o.size && features == o.features && alignment == o.alignment
                   && lineWidth == o.lineWidth && midLineWidth == o.midLineWidth && direction == o.direction
                   && subControls == o.subControls && text == o.text && font == o.font;
        }
        friend size_t qHash(const GroupPartKey &k, size_t seed = 0)
        {
            return qHashMulti(seed, k.sub, k.size.width(), k.size.height(), k.features, k.alignment, k.lineWidth,
                              k.midLineWidth, k.direction, k.subControls, k.font, k.text);
        }
    };

    struct IndicatorKey {
        int state;
        QSize size;
        qint64 palette;
        qreal ratio;
        bool operator==(const IndicatorKey &o) const
        {
            return state == o.state && size == o.size && palette == o.palette && ratio == o.ratio;
        }
        friend size_t qHash(const IndicatorKey &k, size_t seed = 0)
        {
            return qHashMulti(seed, k.state, k.size.width(), k.size.height(), k.palette, k.ratio);
        }
    };

    struct MeasureKey {
        int flags;
        bool enabled;
        QString text;
        bool operator==(const MeasureKey &) const = default;
        friend size_t qHash(const MeasureKey &k, size_t seed = 0) { return qHashMulti(seed, k.flags, k.enabled, k.text); }
    };
    struct Measures {
        QFontMetrics metrics; // kept: the font it measures stays while it is here
        QHash<MeasureKey, QRect> rects;
    };

    mutable QHash<CaptionKey, Caption> m_captions;
    mutable QHash<IndicatorKey, QPixmap> m_indicators;
    mutable QHash<GroupPartKey, QRect> m_groupParts;
    mutable std::vector<Measures> m_measures;
};

} // namespace

void applyStyle()
{
    QApplication::setStyle(new UtilityStyle);
}

} // namespace korvanta
