// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/terminal.h"

#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/session/session.h"
#include "link/transport/wait.h"
#include "ui/formparts.h"
#include "ui/windows.h"

#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QMimeData>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <functional>

namespace korvanta {

namespace {
// How many characters the one shown in front of position end takes in the
// box: two for a line break (CR LF) and for a character beyond the Basic
// Multilingual Plane (a surrogate pair), else one; none at the start.
int lastShownLength(const QString &text, int end)
{
    if (end <= 0)
        return 0;
    if (end < 2)
        return 1;
    const QChar last = text[end - 1], before = text[end - 2];
    return (last == u'\n' && before == u'\r') || (last.isLowSurrogate() && before.isHighSurrogate()) ? 2 : 1;
}
} // namespace

void AppendTerminalText(TerminalText &box, const QByteArray &received)
{
    box.measured = int(box.text.size());
    if (box.measured >= TerminalText::kTrimAt) {
        box.text = box.text.mid(TerminalText::kTrimBy);
        box.measured = int(box.text.size());
    }
    box.selStart = box.measured;
    box.selLength = 0;

    QString in = QString::fromLatin1(received);
    for (int i = in.indexOf(u'\b'); i >= 0; i = in.indexOf(u'\b')) {
        if (i == 0) {
            // takes the last character shown (an empty box has none to take)
            box.selLength = lastShownLength(box.text, box.measured);
            box.selStart = box.measured - box.selLength;
            in.remove(0, 1);
        } else {
            in.remove(i - 1, 2);
        }
    }
    in.remove(u'\n');
    for (int i = in.indexOf(u'\r'); i >= 0; i = in.indexOf(u'\r', i + 1))
        in.insert(i + 1, u'\n');

    box.text.replace(box.selStart, box.selLength, in);
    box.selStart += int(in.size());
    box.selLength = 0;
}

void TypeTerminalText(TerminalText &box, const QString &typed)
{
    for (const QChar c : typed) {
        if (c == u'\b' && box.selLength == 0) {
            box.selLength = lastShownLength(box.text, box.selStart);
            box.selStart -= box.selLength;
        }
        const QString in = c == u'\b' ? QString() : c == u'\r' ? QStringLiteral("\r\n") : QString(c);
        box.text.replace(box.selStart, box.selLength, in);
        box.selStart += int(in.size());
        box.selLength = 0;
    }
}

namespace {
// The text box hands what is pasted or dropped into it to the window, which
// sends it or puts it into the box itself. A drag inside the box copies: the
// text dragged stays where it is.
class TermBox : public QPlainTextEdit {
public:
    explicit TermBox(std::function<void(const QString &)> entered, QWidget *parent)
        : QPlainTextEdit(parent), m_entered(std::move(entered))
    {
    }

protected:
    void insertFromMimeData(const QMimeData *source) override
    {
        if (source->hasText())
            m_entered(source->text());
    }

    void dropEvent(QDropEvent *event) override
    {
        if (event->source() == this)
            event->setDropAction(Qt::CopyAction);
        QPlainTextEdit::dropEvent(event); // the caret to the drop point, then insertFromMimeData
    }

private:
    std::function<void(const QString &)> m_entered;
};

// Where a position of the view (line breaks as LF) lies in the box (CR LF):
// in front of a line break's CR.
int boxPosition(const QString &box, int shown)
{
    int i = 0;
    for (int seen = 0; i < box.size() && seen < shown; ++i)
        if (box[i] != u'\r')
            ++seen;
    return i;
}

int shownPosition(const QString &box, int at)
{
    return at - int(QStringView(box).left(at).count(u'\r'));
}
} // namespace

TerminalWindow::TerminalWindow(Session &session, QWidget *parent)
    : QDialog(parent, form::kDialogFlags), m_session(session)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(tr("ターミナル"));

    auto *menuBar = new QMenuBar(this);
    auto *file = menuBar->addMenu(tr("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("MFile"));
    QAction *exit = file->addAction(tr("終了(&E)"));
    exit->setObjectName(QStringLiteral("MFileExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_term = new TermBox([this](const QString &text) { enter(text); }, this);
    m_term->setObjectName(QStringLiteral("Term"));
    form::nameControls(windowTitle(), {m_term}); // no label but the window's
    m_term->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    followLine(); // an input method only while the line is closed
    m_term->setUndoRedoEnabled(false);
    m_term->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->setMenuBar(menuBar);
    layout->addWidget(line);
    layout->addWidget(m_term, 1);
    m_term->setMinimumSize(560, 320);
    centreOnScreen(this);
    m_term->setFocus();
}

void TerminalWindow::append(const QByteArray &received)
{
    AppendTerminalText(m_box, received);
    showBox();
}

void TerminalWindow::showBox()
{
    // The box keeps CR LF; the view breaks lines at LF alone. The caret
    // stands where the box's selection ends: the end after received text.
    QString shown = m_box.text;
    shown.remove(u'\r');
    m_term->setPlainText(shown);
    QTextCursor caret = m_term->textCursor();
    caret.setPosition(shownPosition(m_box.text, m_box.selStart));
    m_term->setTextCursor(caret);
    m_term->ensureCursorVisible();
}

void TerminalWindow::enter(const QString &text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\r")).replace(u'\n', u'\r');
    Link &link = m_session.link;
    if (link.isOpen()) {
        // The line carries one byte a character: what has no byte is dropped.
        QByteArray bytes;
        for (const QChar c : std::as_const(lines))
            if (c.unicode() < 256)
                bytes += char(c.unicode());
        if (!bytes.isEmpty())
            link.output(bytes); // the adapter's echo shows it
        return;
    }
    // A closed line: the text goes into the box at the caret, as typed. Of
    // the control characters only a line break, a backspace and a tab do
    // anything in a text box: the rest (Escape, Ctrl+letter) go nowhere.
    lines.removeIf([](QChar c) {
        return (c.unicode() < 0x20 || c.unicode() == 0x7f) && c != u'\r' && c != u'\b' && c != u'\t';
    });
    if (lines.isEmpty())
        return;
    const QTextCursor caret = m_term->textCursor();
    m_box.selStart = boxPosition(m_box.text, caret.selectionStart());
    m_box.selLength = boxPosition(m_box.text, caret.selectionEnd()) - m_box.selStart;
    TypeTerminalText(m_box, lines);
    showBox();
}

void TerminalWindow::followLine()
{
    // The open line carries one byte a key, which an input method's text
    // mostly has not; the box of a closed line takes any text.
    m_term->setAttribute(Qt::WA_InputMethodEnabled, !m_session.link.isOpen());
}

bool TerminalWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_term && event->type() == QEvent::FocusIn)
        followLine(); // back from a serial error box that closed the line, say
    if (watched == m_term && event->type() == QEvent::InputMethod) {
        // What an input method composes shows as the box shows it; what it
        // commits is entered as typed keys are.
        auto *im = static_cast<QInputMethodEvent *>(event);
        if (im->commitString().isEmpty())
            return false;
        const QString committed = im->commitString();
        QInputMethodEvent composing(im->preeditString(), im->attributes());
        QCoreApplication::sendEvent(m_term, &composing); // commits nothing: the box takes it
        enter(committed);
        return true;
    }
    if (watched == m_term && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        QString text;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            text = QStringLiteral("\r");
            break;
        case Qt::Key_Backspace:
            text = QStringLiteral("\b");
            break;
        case Qt::Key_Tab:
            text = QStringLiteral("\t");
            break;
        case Qt::Key_Escape:
            text = QStringLiteral("\x1b");
            break;
        default:
            if (key->matches(QKeySequence::Paste))
                return false; // the box pastes, through insertFromMimeData
            text = key->text();
        }
        if (text.isEmpty())
            return false; // navigation and shortcuts as usual
        enter(text);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TerminalWindow::drain()
{
    Link &link = m_session.link;
    QDeadlineTimer deadline(m_session.timing.drainDeadlineMs);
    while (link.isOpen() && link.outBufferCount() != 0) {
        if (!deadline.hasExpired()) {
            constexpr int kLookAgainMs = 10; // the line reports no "all sent"; look again soon
            waitUntil(QDeadlineTimer(qMin<qint64>(kLookAgainMs, deadline.remainingTime())));
            continue;
        }
        MessageRequest request;
        request.text = tr("初期化に失敗しました");
        request.buttons = MessageBox::Abort | MessageBox::Retry | MessageBox::Ignore;
        switch (Messages::show(request, this)) {
        case MessageBox::Abort:
            return false;
        case MessageBox::Retry:
            deadline = QDeadlineTimer(m_session.timing.drainDeadlineMs);
            break;
        default:
            return true;
        }
    }
    return true;
}

void TerminalWindow::reject()
{
    // The frame's close box, the menu's "終了(&E)" and Escape outside the box
    // all end here.
    if (m_draining)
        return;
    m_draining = true;
    const bool close = drain();
    m_draining = false;
    if (close)
        QDialog::reject();
}

} // namespace korvanta
