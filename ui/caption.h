// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QLabel>

namespace korvanta {

// A settings window's label of plain text. Its size is measured once for each
// text and font the program shows and kept, and so is its height for each
// width when it wraps: a label measures its text three times for its size
// hints, a note that wraps many times more, and a window's labels were
// measured anew at every opening. A label showing rich text or a picture
// measures itself as any label.
class Caption : public QLabel {
    Q_OBJECT
public:
    explicit Caption(const QString &text, QWidget *parent = nullptr) : QLabel(text, parent) {}
    explicit Caption(QWidget *parent = nullptr) : QLabel(parent) {}

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

private:
    struct Hints {
        QSize size;
        QSize minimum;
        QHash<int, int> heights; // by width, for a label that wraps
    };
    // Null when this label measures itself.
    Hints *kept() const;
};

} // namespace korvanta
