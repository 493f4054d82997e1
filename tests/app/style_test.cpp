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

// Where the ink is: the box around every pixel clearly darker than the page.
QRect ink(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                box |= QRect(x, y, 1, 1);
    return box;
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
        const QList<std::pair<QString, int>> alignments{{QStringLiteral("left"), int(Qt::AlignLeft | Qt::AlignVCenter)},
                                                        {QStringLiteral("centre"), int(Qt::AlignCenter)},
                                                        {QStringLiteral("bottom right"), int(Qt::AlignRight | Qt::AlignBottom)}};
        for (const QString &text : {QStringLiteral("自己サブアドレス"), QStringLiteral("3.1KHzｵｰﾃﾞｨｵ"), QStringLiteral("TEL1詳細設定")})
            for (const auto &[name, align] : alignments)
                QTest::newRow(qPrintable(text + QStringLiteral(", ") + name)) << text << align;
        // Drawn as Fusion draws it: a mnemonic, two lines.
        QTest::addRow("mnemonic") << QStringLiteral("ﾌｧｲﾙ(&F)") << int(Qt::AlignCenter);
        QTest::addRow("two lines") << QStringLiteral("注意）遅延着信\n優先着信") << int(Qt::AlignLeft | Qt::AlignTop);
    }

    void captionsStayWhereFusionPutsThem()
    {
        QFETCH(QString, text);
        QFETCH(int, alignment);
        const QRect area(10, 5, 220, 60);
        const auto drawn = [&](const QStyle *style) {
            QImage image(240, 70, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setFont(QApplication::font());
            painter.setPen(Qt::black);
            style->drawItemText(&painter, area, alignment, QApplication::palette(), true, text);
            return ink(image);
        };
        const QRect fusion = drawn(m_fusion.get());
        QVERIFY(!fusion.isEmpty());
        for (int pass = 0; pass < 2; ++pass) { // laid out, then drawn from what was kept
            const QRect utility = drawn(m_utility);
            QVERIFY2(std::abs(fusion.left() - utility.left()) <= 1 && std::abs(fusion.right() - utility.right()) <= 1
                         && std::abs(fusion.top() - utility.top()) <= 1
                         && std::abs(fusion.bottom() - utility.bottom()) <= 1,
                     qPrintable(QStringLiteral("Fusion %1,%2 %3x%4, utility %5,%6 %7x%8")
                                    .arg(fusion.x())
                                    .arg(fusion.y())
                                    .arg(fusion.width())
                                    .arg(fusion.height())
                                    .arg(utility.x())
                                    .arg(utility.y())
                                    .arg(utility.width())
                                    .arg(utility.height())));
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
