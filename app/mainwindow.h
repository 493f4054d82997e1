// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QPointer>

#include <memory>
#include <vector>

class QAction;

namespace korvanta {

class Session;
class SettingsDialog;

// A settings window opened from the main window by a button and a menu entry.
struct SettingsCommand {
    const char *button;      // e.g. "Command1"
    const char *buttonText;  // its caption
    const char *menuEntry;   // e.g. "AnaSet"
    const char *menuText;    // its caption
    SettingsDialog *(*open)(Session &session, QWidget *opener);
};
extern const SettingsCommand kSettingsCommands[3];

// The main window "KORVAN-TA 設定ユーティリティ": opens every other window
// and, when it closes, has the adapter store what was written and closes the
// line.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Session &session, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The settings window of the command, opened as its button (which closes
    // it again when its read failed) or its menu entry (which keeps it) does.
    // Null when it is not open afterwards.
    SettingsDialog *openSettings(const SettingsCommand &command, bool fromButton);

    // The exit procedure: "AT&W0&W1" when anything was written, a short pause,
    // the line closed. Nothing happens once the line is closed.
    void exitProcedure();

    // The utility is told to end by a signal: once no exchange is under way,
    // the exit procedure runs, whatever window is open, and finished() is
    // emitted. endSignal() then tells which signal it was.
    void endOnSignal(int signalNumber);
    int endSignal() const { return m_endSignal; }

signals:
    // The window has closed: the utility ends.
    void finished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Runs a window modal over this one: this one disabled meanwhile.
    void runModal(QDialog &dialog);
    void openTerminal();
    // "元に戻す" brings back the history entry kept before the last change
    // this program made: a registration, a restore, an undo.
    void offerUndo(const QString &entry);
    void undo();

    Session &m_session;
    QPointer<QObject> m_link;      // MSComm1
    QPointer<QObject> m_linkOwner; // whose it is
    bool m_ownsCommEvents = false;
    bool m_exiting = false;
    int m_endSignal = 0;
    std::vector<std::unique_ptr<QMenu>> m_menus;
    QAction *m_undo = nullptr;
    QString m_undoEntry;
};

} // namespace korvanta
