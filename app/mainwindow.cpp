// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"

#include "app/artwork.h"
#include "app/historywindow.h"
#include "app/initdialog.h"
#include "app/profilewindows.h"
#include "app/terminal.h"
#include "app/versiondialog.h"
#include "dataport/dataportdialog.h"
#include "link/session/commevents.h"
#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/session/session.h"
#include "link/session/store.h"
#include "profile/history.h"
#include "shortdial/shortdialdialog.h"
#include "telephone/telephonedialog.h"
#include "ui/formparts.h"
#include "ui/helpviewer.h"
#include "ui/messagebox.h"
#include "ui/progresswindow.h"
#include "ui/settingsdialog.h"
#include "ui/windows.h"
#include "workfile/settingvalues.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvanta {

namespace {
template <typename Dialog>
SettingsDialog *create(Session &session, QWidget *opener)
{
    return new Dialog(session, opener);
}

// Entries belong to the window, so that they are found by name through it.
QAction *entry(QMenu *menu, const char *name, const QString &text, QWidget *window)
{
    auto *action = new QAction(text, window);
    action->setObjectName(QString::fromLatin1(name));
    menu->addAction(action);
    return action;
}

void separator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}
} // namespace

const SettingsCommand kSettingsCommands[3] = {
    {"Command1", QT_TRANSLATE_NOOP("korvanta::MainWindow", "アナログポート設定"), "AnaSet",
     QT_TRANSLATE_NOOP("korvanta::MainWindow", "ｱﾅﾛｸﾞﾎﾟｰﾄ設定(&A)..."), &create<TelephoneDialog>},
    {"Command2", QT_TRANSLATE_NOOP("korvanta::MainWindow", "データポート設定"), "DataSet",
     QT_TRANSLATE_NOOP("korvanta::MainWindow", "ﾃﾞｰﾀﾎﾟｰﾄ設定(&D)..."), &create<DataPortDialog>},
    {"Command3", QT_TRANSLATE_NOOP("korvanta::MainWindow", "短縮番号登録"), "NumSet",
     QT_TRANSLATE_NOOP("korvanta::MainWindow", "短縮番号登録(&N)..."), &create<ShortDialDialog>},
};

MainWindow::MainWindow(Session &session, QWidget *parent) : QMainWindow(parent), m_session(session)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kProgramTitle);
    // The link is the window's serial control, found by name through it; it
    // stays its owner's and goes back to it with the window.
    m_link = &m_session.link;
    m_linkOwner = m_link->parent();
    m_link->setParent(this);
    if (!m_session.commEvents) {
        m_session.commEvents = new CommEventHandler(m_session.link, this);
        m_ownsCommEvents = true;
    }
    m_session.commEvents->setDialogParent(this);
    // Each registration keeps the settings it changed, as its window read
    // them, and can be undone.
    m_session.registered = [this](const QString &window, const SettingValues &read, const SettingValues &sent) {
        QString why;
        const QString kept = recordRegistration(m_session, window, read, sent, &why);
        if (!why.isEmpty()) {
            MessageRequest r;
            r.icon = MessageBox::Warning;
            r.text = tr("変更する前の機器の設定を履歴に保存できません。この登録は元に戻せません。\n%1").arg(why);
            Messages::show(r, this);
        }
        offerUndo(kept);
    };

    // Menus. They are not children of this window: disabled, it disables
    // its menu bar, through which alone they open, and each menu disabled
    // besides cost more than the rest of the window together (every entry
    // announced as changed).
    const auto menu = [this](const QString &title) {
        m_menus.push_back(std::make_unique<QMenu>(title));
        menuBar()->addMenu(m_menus.back().get());
        return m_menus.back().get();
    };
    QMenu *file = menu(tr("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("MFile"));
    connect(entry(file, "Term", tr("ﾀｰﾐﾅﾙ(&T)"), this), &QAction::triggered, this, &MainWindow::openTerminal);
    separator(file, "Bar3");
    connect(entry(file, "FileSave", tr("設定の保存(&S)..."), this), &QAction::triggered, this,
            [this] { saveProfile(m_session, this); });
    connect(entry(file, "FileRestore", tr("設定の復元(&R)..."), this), &QAction::triggered, this, [this] {
        QString kept;
        restoreProfile(m_session, this, {}, &kept);
        offerUndo(kept);
    });
    connect(entry(file, "FileHistory", tr("履歴(&H)..."), this), &QAction::triggered, this, [this] {
        HistoryWindow history(m_session, this);
        connect(&history, &HistoryWindow::restored, this, &MainWindow::offerUndo);
        runModal(history);
    });
    m_undo = entry(file, "FileUndo", tr("元に戻す(&U)"), this);
    m_undo->setEnabled(false);
    connect(m_undo, &QAction::triggered, this, &MainWindow::undo);
    separator(file, "Bar4");
    // The exit procedure runs as the window closes.
    connect(entry(file, "FileExit", tr("終了(&E)"), this), &QAction::triggered, this, &QWidget::close);

    QMenu *settings = menu(tr("設定(&S)"));
    settings->setObjectName(QStringLiteral("MSet"));
    auto *central = new QWidget(this);
    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch();
    for (const SettingsCommand &command : kSettingsCommands) {
        connect(entry(settings, command.menuEntry, tr(command.menuText), this), &QAction::triggered, this,
                [this, &command] { openSettings(command, false); });
        auto *button = new QPushButton(tr(command.buttonText), central);
        button->setObjectName(QString::fromLatin1(command.button));
        button->setMinimumSize(180, 36);
        connect(button, &QPushButton::clicked, this, [this, &command] { openSettings(command, true); });
        buttons->addWidget(button);
    }
    buttons->addStretch();
    separator(settings, "Bar1");
    connect(entry(settings, "Init", tr("初期化(&I)..."), this), &QAction::triggered, this, [this] {
        InitDialog dialog(m_session, this);
        runModal(dialog);
    });

    QMenu *help = menu(tr("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("MHelp"));
    connect(entry(help, "Help", tr("目次(&C)"), this), &QAction::triggered, this,
            [this] { showHelp(m_session, 1, this); });
    separator(help, "Bar2");
    connect(entry(help, "Version", tr("ﾊﾞｰｼﾞｮﾝ情報(&V)..."), this), &QAction::triggered, this, [this] {
        VersionDialog dialog(m_session, this);
        runModal(dialog);
    });

    // Title, pictures, buttons
    QLabel *title = form::title(kProgramTitle, "Label2", 1.6, central);

    const struct {
        const char *name;
        QPixmap picture;
    } pictures[] = {{"Image1", artwork::adapterFront(QSize(300, 180))},
                    {"Image2", artwork::adapterBack(QSize(200, 70))},
                    {"Image3", artwork::telephone(QSize(96, 68))}};
    QLabel *images[3];
    for (int i = 0; i < 3; ++i) {
        images[i] = new artwork::Picture(pictures[i].picture, central);
        images[i]->setObjectName(QString::fromLatin1(pictures[i].name));
    }

    auto *grid = new QGridLayout(central);
    grid->setContentsMargins(20, 14, 20, 18);
    grid->setHorizontalSpacing(24);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(images[0], 1, 0, 1, 2, Qt::AlignCenter);
    grid->addWidget(images[1], 2, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(images[2], 2, 1, Qt::AlignRight | Qt::AlignVCenter);
    grid->addLayout(buttons, 1, 2, 2, 1);
    setCentralWidget(central);
    centreOnScreen(this);
    ProgressScope::prepare(this);
}

MainWindow::~MainWindow()
{
    m_session.registered = nullptr;
    if (m_link)
        m_link->setParent(m_linkOwner);
    if (m_ownsCommEvents)
        m_session.commEvents = nullptr;
    else if (m_session.commEvents)
        m_session.commEvents->setDialogParent(nullptr);
}

SettingsDialog *MainWindow::openSettings(const SettingsCommand &command, bool fromButton)
{
    if (m_session.busy() || m_exiting)
        return nullptr;
    QPointer<SettingsDialog> dialog = command.open(m_session, this);
    dialog->openAndRead();
    if (fromButton && m_session.ReadFailed == 1 && dialog)
        dialog->close(); // the read has already said why
    return dialog && dialog->isVisible() ? dialog.data() : nullptr;
}

void MainWindow::runModal(QDialog &dialog)
{
    if (m_session.busy() || m_exiting)
        return;
    setEnabled(false);
    dialog.setEnabled(true); // a child window is disabled with this one otherwise
    dialog.exec();
    setEnabled(true);
}

void MainWindow::offerUndo(const QString &entry)
{
    if (entry.isEmpty())
        return; // nothing was sent: the last change is still the one to undo
    m_undoEntry = entry;
    m_undo->setEnabled(true);
}

void MainWindow::undo()
{
    if (m_session.busy() || m_exiting || m_undoEntry.isEmpty())
        return;
    profile::HistoryEntry entry;
    entry.path = m_undoEntry;
    QString kept;
    restoreEntry(m_session, this, entry, &kept);
    offerUndo(kept); // the undo undone in turn
}

void MainWindow::openTerminal()
{
    TerminalWindow terminal(m_session, this);
    CommEventHandler *events = m_session.commEvents;
    events->setTerminalSink([&terminal](const QByteArray &text) { terminal.append(text); });
    runModal(terminal);
    events->setTerminalSink({});
}

void MainWindow::exitProcedure()
{
    if (!m_session.link.isOpen() || m_exiting)
        return;
    m_exiting = true;
    const bool storing = m_session.WriteCount != 0;
    if (storing)
        setEnabled(false);
    storeAndClose(m_session);
    if (storing)
        setEnabled(true);
    m_exiting = false;
}

void MainWindow::endOnSignal(int signalNumber)
{
    m_endSignal = signalNumber;
    // Nobody will answer a box now: each is answered as by Escape, and what
    // showed it goes on as after that answer. An exchange under way finishes
    // first; the signal is looked at again then, once the boxes have closed.
    const bool boxesWereOpen = answerMessageBoxesByEscape();
    if (boxesWereOpen || m_session.busy() || m_exiting) {
        QTimer::singleShot(boxesWereOpen ? 0 : 20, this, [this] { endOnSignal(m_endSignal); });
        return;
    }
    exitProcedure();
    emit finished();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // An exchange under way (a dialog's read or write, the store at exit) must
    // finish on the line it started on. Disabled, the window is not the one
    // the operator works in: another window is open over it, with what the
    // operator has not registered yet.
    if (m_session.busy() || m_exiting || !isEnabled()) {
        event->ignore();
        return;
    }
    exitProcedure();
    event->accept();
    emit finished();
}

} // namespace korvanta
