#include "app/style.h"

#include <QApplication>
#include <QColor>
#include <QGroupBox>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace korvanta {

namespace {

class UtilityStyle : public QProxyStyle {
public:
    UtilityStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_FrameGroupBox) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        // An etched frame: a dark line with a light one inside it, filled
        // rather than stroked.
        // Below the title, where Fusion puts its own frame.
        constexpr int kTopMargin = 3;
        const auto *box = qobject_cast<const QGroupBox *>(widget);
        const int top = box && !box->isCheckable() && box->title().isEmpty()
                            ? kTopMargin
                            : qMax(proxy()->pixelMetric(PM_ExclusiveIndicatorHeight, option, widget),
                                   option->fontMetrics.height())
                                  + kTopMargin;
        const QRect r = option->rect.adjusted(0, top, 0, 0);
        const QColor dark = option->palette.color(QPalette::Mid);
        const QColor light = option->palette.color(QPalette::Light);
        const auto frame = [painter](const QRect &box, const QColor &color) {
            painter->fillRect(box.left(), box.top(), box.width(), 1, color);
            painter->fillRect(box.left(), box.bottom(), box.width(), 1, color);
            painter->fillRect(box.left(), box.top(), 1, box.height(), color);
            painter->fillRect(box.right(), box.top(), 1, box.height(), color);
        };
        frame(r.adjusted(1, 1, 0, 0), light);
        frame(r.adjusted(0, 0, -1, -1), dark);
    }
};

} // namespace

void applyStyle()
{
    QApplication::setStyle(new UtilityStyle);
}

} // namespace korvanta
