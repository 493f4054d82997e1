// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;

namespace korvanta {

// The small "please wait" window shown around every read and write sequence.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    ProgressWindow(const QString &line1, const QString &line2, QWidget *parent = nullptr);
    bool shows(const QString &line1, const QString &line2) const;

private:
    QLabel *m_label1;
    QLabel *m_label2;
};

// Shows the progress window for the lifetime of the scope: "読取り中です" for a
// read, "書込み中です" for a write, above "しばらくお待ちください". It is painted
// by the event loop, in the first wait for the adapter.
class ProgressScope {
public:
    enum Kind { Reading, Writing };
    explicit ProgressScope(Kind kind, QWidget *parent = nullptr);
    // Builds and lays out, hidden, the windows the sequences under this top
    // window will show, so that the first of each kind costs no more than
    // the others.
    static void prepare(QWidget *top);
    ~ProgressScope();
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

private:
    QPointer<ProgressWindow> m_window;
    bool m_owned = false; // made for this scope alone (no window above it)
};

} // namespace korvanta
