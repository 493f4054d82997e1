// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/session/session.h"
#include "ui/progresswindow.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace korvanta {

class SettingValues;

namespace profile {
struct Difference;
struct HistoryEntry;
struct Profile;
} // namespace profile

// "設定の保存": every setting read into a profile file. An empty path asks
// for one with a file dialog. True when the file was written.
bool saveProfile(Session &session, QWidget *window, QString path = {});

// "設定の復元": the profile read and checked, the adapter read, every change
// shown and asked for, then sent as the windows' registering sends it, read
// back and told. The store at exit keeps it, as after any registering.
// An empty path asks for one with a file dialog. True when the adapter now
// holds the profile. kept, when given, gets the history entry of the
// settings as they were before; empty when nothing was sent.
bool restoreProfile(Session &session, QWidget *window, QString path = {}, QString *kept = nullptr);

// The same for a history entry, as a merge: the settings it keeps brought
// back. What an undo and the history window's "復元" do.
bool restoreEntry(Session &session, QWidget *window, const profile::HistoryEntry &entry, QString *kept = nullptr);

// The history entry of a settings window's registration (Session::registered):
// the settings the registration changed, as the window's read gave them. Its
// path, or empty with why in error when it changed nothing that can be kept
// (then error is empty too) or the entry could not be written.
QString recordRegistration(const Session &session, const QString &window, const SettingValues &read,
                           const SettingValues &sent, QString *error);

// Each difference as the windows say it (profile::describe()).
QStringList described(const QList<profile::Difference> &differences);

// The main window, or another, disabled and the session busy while the line
// is in use; the progress window over it.
class LineInUse {
public:
    LineInUse(Session &session, QWidget *window, ProgressScope::Kind kind);
    ~LineInUse();
    LineInUse(const LineInUse &) = delete;
    LineInUse &operator=(const LineInUse &) = delete;

private:
    Session::BusyScope m_busy;
    QWidget *m_window;
    ProgressScope m_progress;
};

} // namespace korvanta
