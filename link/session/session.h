// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/protocol/exchange.h"
#include "link/protocol/timing.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QObject;

namespace korvanta {

class Link;
class SettingValues;
class WorkFile;
class CommEventHandler;

// What every window of one run shares: the link to the adapter, the work file,
// the deadlines and the values that pass between windows. One object, handed
// to each window by reference.
class Session {
public:
    Session(Link &link, WorkFile &workFile, const Timing &timing = {});

    Link &link;
    WorkFile &workFile;
    Timing timing;
    CommEventHandler *commEvents = nullptr; // set by the main window
    // The port as the operator names it (portName()): the adapter's history
    // is kept under it.
    QString portName;
    // A settings window's "登録" that sent something, written through or
    // not: the window's title, the values its read gave and those the
    // registration sent. Set by the main window, which keeps the settings as
    // they were in the adapter's history and offers to undo it.
    std::function<void(const QString &window, const SettingValues &read, const SettingValues &sent)> registered;

    // Values passed between windows.
    int ReadFailed = 0;
    int WriteCount = 0;
    int CurrentTelTab = 0;
    std::array<int, 3> NumberDisplayFlags{};
    QString ModelName;
    QString FirmwareVersion;
    QString NewFirmwareFlag = QStringLiteral("0");

    bool newFirmware() const { return NewFirmwareFlag.toInt() == 1; }

    // A set command that left on the line, and whether the adapter
    // acknowledged it.
    struct SentSet {
        QByteArray command;
        bool acknowledged = false;
    };
    // While set, every set command that leaves is added here, in order: what
    // a restore went through, told from what it only meant to do.
    QList<SentSet> *setRecord = nullptr;
    // While set, set() sends nothing and adds each command here as though the
    // adapter acknowledged it: what a write would send, found without the line.
    QList<QByteArray> *rehearsal = nullptr;

    // A query with the settings dialogs' deadline; empty on time-out.
    std::optional<QByteArray> query(const QByteArray &command, int window = kQueryWindow);
    // A set exchange with the settings dialogs' deadline; on time-out shows
    // "コマンドの受信に失敗しました" over parent. True when acknowledged.
    // meanwhile runs once the command is on its way.
    bool set(const QByteArray &command, QObject *parent, const std::function<void()> &meanwhile = {});
    // The commands of one write procedure in turn, empty ones skipped, up to
    // the first that goes unacknowledged (reported): what
    // follows it is not sent. True when every one was acknowledged.
    bool setEach(const QList<QByteArray> &commands, QObject *parent);
    // The same for the commands of several write procedures in order. A
    // procedure's commands are made while the last command before them is
    // on the line, so that the adapter's answer finds the next command
    // ready and the last answer nothing left to make.
    using CommandMaker = std::function<QList<QByteArray>()>;
    bool setEach(const std::vector<CommandMaker> &procedures, QObject *parent);
    // "コマンドの受信に失敗しました", for a failed query or command; the
    // command, when known, is named under it.
    static void reportReceiveFailure(QObject *parent, const QByteArray &command = {});

    // The help file the windows open; empty for the one found beside the
    // program or in the installed data folder.
    QString helpFileOverride;

    // True while a read or write sequence or an exchange is under way: no
    // window may close and no other exchange may start meanwhile.
    bool busy() const { return m_busy > 0; }
    class BusyScope {
    public:
        explicit BusyScope(Session &s) : m_s(s) { ++m_s.m_busy; }
        ~BusyScope() { --m_s.m_busy; }
        BusyScope(const BusyScope &) = delete;
        BusyScope &operator=(const BusyScope &) = delete;

    private:
        Session &m_s;
    };

private:
    int m_busy = 0;
};

} // namespace korvanta
