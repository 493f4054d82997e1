// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small builders shared by the data port dialog and its detail dialogs:
// named frames, options and buttons, and finding them again by name.

#include "dataport/dataportmodel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QVBoxLayout>
#include <initializer_list>

namespace korvanta::dataport {

template <class T> T *control(const QWidget *root, const char *name)
{
    return root->findChild<T *>(nameOf(name));
}

inline QRadioButton *option(const QWidget *root, const char *name) { return control<QRadioButton>(root, name); }

// The options of a frame, by the names controlOf gives each row.
template <class Options, class ControlOf>
QList<QWidget *> controlsOf(const QWidget *root, const Options &options, ControlOf controlOf)
{
    QList<QWidget *> controls;
    for (const auto &o : options)
        controls << option(root, controlOf(o));
    return controls;
}

// A frame whose options are stacked top to bottom; the options of one frame
// exclude each other. It goes by its own caption on the accessibility bus,
// also inside another frame, whose caption it would take otherwise.
inline QGroupBox *makeFrame(const char *name, const QString &caption, QWidget *parent = nullptr)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(nameOf(name));
    frame->setAccessibleName(caption);
    new QVBoxLayout(frame);
    return frame;
}

inline QRadioButton *addOption(QGroupBox *frame, const char *name, const QString &caption)
{
    auto *o = new QRadioButton(caption, frame);
    o->setObjectName(nameOf(name));
    frame->layout()->addWidget(o);
    return o;
}

inline QPushButton *makeButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(nameOf(name));
    b->setAutoDefault(false);
    return b;
}

// The row of buttons below a dialog's body, to the right.
inline QHBoxLayout *buttonRow(std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : buttons) {
        b->setMinimumWidth(96);
        row->addWidget(b);
    }
    return row;
}

} // namespace korvanta::dataport
