// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/caption.h"

#include <QHash>
#include <QStyle>
#include <QTextDocument>

namespace korvanta {

namespace {
// Everything the size of a plain-text label follows from.
struct Measured {
    QString text;
    QFont font;
    const QStyle *style;
    int alignment, margin, indent, frame, left, top, right, bottom;
    bool mnemonic; // with a buddy, "&" marks a mnemonic and takes no room
    bool wraps;
    bool operator==(const Measured &o) const = default;
};

size_t qHash(const Measured &m, size_t seed = 0)
{
    return qHashMulti(seed, m.text, m.font, m.alignment, m.margin, m.indent, m.frame, m.mnemonic);
}

constexpr qsizetype kMaxKept = 2000; // the program's captions are a few hundred
constexpr qsizetype kMaxWidths = 256;
} // namespace

Caption::Hints *Caption::kept() const
{
    if (!pixmap().isNull() || textFormat() == Qt::RichText || textFormat() == Qt::MarkdownText
        || (textFormat() == Qt::AutoText && Qt::mightBeRichText(text())))
        return nullptr;
    static QHash<Measured, Hints> measured;
    ensurePolished();
    const QMargins m = contentsMargins();
    const Measured key{text(), font(), style(), int(alignment()), margin(), indent(), frameWidth(),
                       m.left(), m.top(), m.right(), m.bottom(), buddy() != nullptr, wordWrap()};
    auto it = measured.find(key);
    if (it == measured.end()) {
        if (measured.size() > kMaxKept)
            measured.clear();
        it = measured.insert(key, {QLabel::sizeHint(), QLabel::minimumSizeHint(), {}});
    }
    return &*it;
}

QSize Caption::sizeHint() const
{
    const Hints *hints = kept();
    return hints ? hints->size : QLabel::sizeHint();
}

QSize Caption::minimumSizeHint() const
{
    const Hints *hints = kept();
    return hints ? hints->minimum : QLabel::minimumSizeHint();
}

int Caption::heightForWidth(int width) const
{
    Hints *hints = wordWrap() ? kept() : nullptr;
    if (!hints)
        return QLabel::heightForWidth(width);
    auto it = hints->heights.constFind(width);
    if (it == hints->heights.constEnd()) {
        if (hints->heights.size() > kMaxWidths) // a window dragged wider and narrower
            hints->heights.clear();
        it = hints->heights.insert(width, QLabel::heightForWidth(width));
    }
    return *it;
}

} // namespace korvanta
