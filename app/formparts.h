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
