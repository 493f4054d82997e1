// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace korvanta {

class Session;

// "設定の保存": every setting read into a profile file. An empty path asks
// for one with a file dialog. True when the file was written.
bool saveProfile(Session &session, QWidget *window, QString path = {});

// "設定の復元": the profile read and checked, the adapter read, every change
// shown and asked for, then sent as the windows' registering sends it, read
// back and told. The store at exit keeps it, as after any registering.
// An empty path asks for one with a file dialog. True when the adapter now
// holds the profile.
bool restoreProfile(Session &session, QWidget *window, QString path = {});

} // namespace korvanta
