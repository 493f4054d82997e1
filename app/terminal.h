// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace korvanta {

class Session;

// The terminal's text box as the appender works on it: the whole text (line
// breaks as CR LF), the selection, and the length last measured.
struct TerminalText {
    static constexpr int kTrimAt = 16384; // at this length ...
    static constexpr int kTrimBy = 4096;  // ... the oldest characters go

    QString text;
    int selStart = 0;
    int selLength = 0;
    int measured = 0;
};

// Adds received text to the box: trims a full box, lets backspaces delete
// (a leading one takes the last character shown, a line break whole), drops
// line feeds and puts one behind every carriage return.
void AppendTerminalText(TerminalText &box, const QByteArray &received);

// Puts what was typed on a closed line into the box at its selection, as a
// text box does: a backspace takes the selection, or else the character in
// front of it (a line break whole); a carriage return becomes a line break.
// The selection ends empty behind what went in.
void TypeTerminalText(TerminalText &box, const QString &typed);

// The terminal window "ターミナル": typed, pasted and dropped characters go to
// the adapter as they are, and what the adapter sends is shown. With the line
// closed they go into the box at the caret instead.
class TerminalWindow : public QDialog {
    Q_OBJECT
public:
    TerminalWindow(Session &session, QWidget *parent = nullptr);

    // Received text, shown through the appender.
    void append(const QByteArray &received);
    // The text as the box holds it (CR LF line breaks).
    QString text() const { return m_box.text; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    // Waits until everything typed has gone out; false when the operator
    // chose to keep the window open.
    bool drain();
    // Typed, pasted or dropped text: what the line can carry goes out, or
    // into the box while the line is closed.
    void enter(const QString &text);
    void showBox();
    // Takes an input method's text while the line is closed, not while open.
    void followLine();

    Session &m_session;
    TerminalText m_box;
    QPlainTextEdit *m_term;
    bool m_draining = false;
};

} // namespace korvanta
