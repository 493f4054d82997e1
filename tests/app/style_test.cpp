// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/style.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <memory>

using namespace korvanta;

namespace {

// A widget as one style paints it, on a plain background.
QImage paintedWith(QStyle *style, QWidget &widget)
{
    widget.setStyle(style);
    widget.ensurePolished();
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

// Where the ink is: the box around every pixel clearly darker than the page,
// or, for a light copy such as etches a disabled text, lighter.
QRect ink(const QImage &image, bool light = false)
{
    const int page = qGray(image.pixel(0, 0));
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (light ? qGray(image.pixel(x, y)) > page + 8 : qGray(image.pixel(x, y)) < 160)
                box |= QRect(x, y, 1, 1);
    return box;
}

QString described(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The box around the pixels where two pictures clearly differ.
QRect difference(const QImage &a, const QImage &b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64)
                box |= QRect(x, y, 1, 1);
    return box;
}

bool near(const QRect &a, const QRect &b)
{
    return std::abs(a.left() - b.left()) <= 1 && std::abs(a.right() - b.right()) <= 1 && std::abs(a.top() - b.top()) <= 1
           && std::abs(a.bottom() - b.bottom()) <= 1;
}

int largestDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

} // namespace

// The utility's style keeps what it computes once and draws it again; what
// it draws must stay where, and as, Fusion draws it.
class StyleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        applyStyle();
        m_utility = QApplication::style();
        m_fusion.reset(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void captionsStayWhereFusionPutsThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("plain"); // with mnemonics, the text as shown, marks gone
        const QList<std::pair<QString, int>> alignments{{QStringLiteral("left"), int(Qt::AlignLeft | Qt::AlignVCenter)},
                                                        {QStringLiteral("centre"), int(Qt::AlignCenter)},
                                                        {QStringLiteral("bottom right"), int(Qt::AlignRight | Qt::AlignBottom)}};
        for (const QString &text : {QStringLiteral("自己サブアドレス"), QStringLiteral("3.1KHzｵｰﾃﾞｨｵ"), QStringLiteral("TEL1詳細設定")})
            for (const auto &[name, align] : alignments)
                QTest::newRow(qPrintable(text + QStringLiteral(", ") + name)) << text << align << true << QString();
        QTest::addRow("disabled") << QStringLiteral("自己サブアドレス") << int(Qt::AlignCenter) << false << QString();
        // Mnemonics as a menu bar draws them: the mark gone, the character
        // after it underlined, or not when they hide; "&&" is one "&".
        const int menu = Qt::AlignCenter | Qt::TextDontClip | Qt::TextSingleLine;
        QTest::addRow("mnemonic") << QStringLiteral("ﾌｧｲﾙ(&F)") << (menu | Qt::TextShowMnemonic) << true
                                  << QStringLiteral("ﾌｧｲﾙ(F)");
        QTest::addRow("mnemonic, disabled") << QStringLiteral("設定(&S)") << (menu | Qt::TextShowMnemonic) << false
                                            << QStringLiteral("設定(S)");
        QTest::addRow("mnemonic hidden") << QStringLiteral("ﾍﾙﾌﾟ(&H)") << (menu | Qt::TextHideMnemonic) << true
                                         << QStringLiteral("ﾍﾙﾌﾟ(H)");
        QTest::addRow("ampersand") << QStringLiteral("R&&D (&Q)") << int(Qt::AlignLeft | Qt::TextShowMnemonic) << true
                                   << QStringLiteral("R&D (Q)");
        // Drawn as Fusion draws it: two lines.
        QTest::addRow("two lines") << QStringLiteral("注意）遅延着信\n優先着信") << int(Qt::AlignLeft | Qt::AlignTop)
                                   << true << QString();
    }

    void captionsStayWhereFusionPutsThem()
    {
        QFETCH(QString, text);
        QFETCH(int, alignment);
        QFETCH(bool, enabled);
        QFETCH(QString, plain);
        const QRect area(10, 5, 220, 60);
        const QPalette palette = QApplication::palette();
        const auto drawn = [&](const QStyle *style, const QString &caption, int flags) {
            QImage image(240, 70, QImage::Format_ARGB32_Premultiplied);
            image.fill(palette.color(QPalette::Window));
            QPainter painter(&image);
            painter.setFont(QApplication::font());
            painter.setPen(Qt::black);
            style->drawItemText(&painter, area, flags, palette, enabled, caption);
            return image;
        };
        const int unmarked = alignment & ~(Qt::TextShowMnemonic | Qt::TextHideMnemonic);
        // What the mnemonic marks add to the text as shown: its underlines.
        const auto underlines = [&](const QStyle *style) {
            return plain.isEmpty() ? QRect() : difference(drawn(style, text, alignment), drawn(style, plain, unmarked));
        };
        const QImage fusion = drawn(m_fusion.get(), text, alignment);
        const QRect fusionUnderlines = underlines(m_fusion.get());
        QVERIFY(!ink(fusion).isEmpty());
        for (int pass = 0; pass < 2; ++pass) { // laid out, then drawn from what was kept
            const QImage utility = drawn(m_utility, text, alignment);
            // A light copy, as etches a disabled text, neither draws.
            for (const bool light : {false, true})
                QVERIFY2(near(ink(fusion, light), ink(utility, light)),
                         qPrintable(QStringLiteral("%1: Fusion %2, utility %3")
                                        .arg(light ? QStringLiteral("light") : QStringLiteral("ink"),
                                             described(ink(fusion, light)), described(ink(utility, light)))));
            QVERIFY2(near(fusionUnderlines, underlines(m_utility)),
                     qPrintable(QStringLiteral("underlines: Fusion %1, utility %2")
                                    .arg(described(fusionUnderlines), described(underlines(m_utility)))));
        }
    }

    void radioIndicatorsLookAsFusionDraws()
    {
        // Each state its own picture: on, off, disabled.
        for (const bool checked : {false, true})
            for (const bool enabled : {true, false}) {
                QRadioButton button;
                button.setChecked(checked);
                button.setEnabled(enabled);
                button.resize(button.style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) + 4, 24);
                const QImage fusion = paintedWith(m_fusion.get(), button);
                for (int pass = 0; pass < 2; ++pass)
                    QVERIFY2(largestDifference(fusion, paintedWith(m_utility, button)) <= 2,
                             qPrintable(QStringLiteral("checked %1, enabled %2").arg(checked).arg(enabled)));
            }
    }

private:
    QStyle *m_utility = nullptr;
    std::unique_ptr<QStyle> m_fusion;
};

QTEST_MAIN(StyleTest)
#include "style_test.moc"
