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

private:
    QLabel *m_label1;
    QLabel *m_label2;
};

// Shows the progress window for the lifetime of the scope: "読取り中です" for a
// read, "書込み中です" for a write, above "しばらくお待ちください".
class ProgressScope {
public:
    enum Kind { Reading, Writing };
    // PaintWhileWaiting leaves the first painting to the first wait for the
    // adapter, where it overlaps the line's time, instead of before the first
    // command goes out.
    enum Paint { PaintNow, PaintWhileWaiting };
    explicit ProgressScope(Kind kind, QWidget *parent = nullptr, Paint paint = PaintWhileWaiting);
    ~ProgressScope();
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

private:
    QPointer<ProgressWindow> m_window;
};

} // namespace korvanta
