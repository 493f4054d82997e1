// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <initializer_list>

namespace korvanta::form {

// The flags of the utility's small modal windows: title and close box only.
constexpr Qt::WindowFlags kDialogFlags =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// A large bold centred title label.
inline QLabel *title(const QString &text, const char *name, qreal scale, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont big = label->font();
    big.setPointSizeF(big.pointSizeF() * scale);
    big.setBold(true);
    label->setFont(big);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// Names controls on the accessibility bus, where screen readers and test tools
// meet them, after what the operator sees: left alone, a box with no label
// beside it goes there by its frame's caption and a spin by no name at all.
// A label beside its box names it as the label's buddy.
inline void nameControls(const QString &name, std::initializer_list<QWidget *> controls)
{
    for (QWidget *control : controls)
        control->setAccessibleName(name);
}

// Buttons in one row at the right.
inline QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QWidget *b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace korvanta::form
