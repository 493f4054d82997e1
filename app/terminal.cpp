#include "app/terminal.h"

#include "app/formparts.h"
#include "app/session.h"
#include "app/windows.h"
#include "link/link.h"
#include "link/messages.h"
#include "link/wait.h"

#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace korvanta {

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
            if (box.measured > 0) {
                box.selStart = box.measured - 1;
                box.selLength = 1;
            }
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

TerminalWindow::TerminalWindow(Session &session, QWidget *parent)
    : QDialog(parent, form::kDialogFlags), m_session(session)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("ターミナル"));

    auto *menuBar = new QMenuBar(this);
    auto *file = menuBar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("MFile"));
    QAction *exit = file->addAction(QStringLiteral("終了(&E)"));
    exit->setObjectName(QStringLiteral("MFileExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_term = new QPlainTextEdit(this);
    m_term->setObjectName(QStringLiteral("Term"));
    m_term->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_term->setAttribute(Qt::WA_InputMethodEnabled, false); // one byte a key
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
    // The box keeps CR LF; the view breaks lines at LF alone.
    QString shown = m_box.text;
    shown.remove(u'\r');
    m_term->setPlainText(shown);
    m_term->moveCursor(QTextCursor::End);
    m_term->verticalScrollBar()->setValue(m_term->verticalScrollBar()->maximum());
}

void TerminalWindow::typed(const QByteArray &key)
{
    Link &link = m_session.link;
    if (link.isOpen()) {
        link.output(key); // the adapter's echo shows it
        return;
    }
    // A closed line: the key goes into the box itself.
    if (key == "\b")
        m_box.text.chop(1);
    else
        m_box.text += key == "\r" ? QStringLiteral("\r\n") : QString::fromLatin1(key);
    showBox();
}

bool TerminalWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_term && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        QByteArray byte;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            byte = "\r";
            break;
        case Qt::Key_Backspace:
            byte = "\b";
            break;
        case Qt::Key_Tab:
            byte = "\t";
            break;
        case Qt::Key_Escape:
            byte = "\x1b";
            break;
        default: {
            const QString text = key->text();
            if (text.size() == 1 && text[0].unicode() < 256)
                byte = QByteArray(1, char(text[0].unicode()));
        }
        }
        if (byte.isEmpty())
            return false; // navigation and shortcuts as usual
        typed(byte);
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
        request.text = QStringLiteral("初期化に失敗しました");
        request.buttons = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        switch (Messages::show(request, this)) {
        case QMessageBox::Abort:
            return false;
        case QMessageBox::Retry:
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
