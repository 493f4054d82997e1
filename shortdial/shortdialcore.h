// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The short-dial directory's procedures without widgets: NumRead and NumWrite
// against the work file and a record of values (section "TANSYUKU", keys "00"
// to "19", each entry's stored form), and the whole-subsystem functions.

#include "shortdial/shortdialmodel.h"
#include "workfile/settingvalues.h"

#include <QString>
#include <optional>
#include <vector>

class QObject;

namespace korvanta {
class Session;
}

namespace korvanta::shortdial {

// NumRead: the one query of the twenty entries; each entry line of the reply
// goes into the work file and values. A failed read is reported over parent
// and is false; ReadFailed is left at 0, the window stays open on it.
bool NumRead(Session &session, SettingValues &values, QObject *parent = nullptr);
// NumWrite: one set command per entry in wanted whose form differs from the
// work file's, 00 to 19; the first failure ends it (false).
bool NumWrite(Session &session, const SettingValues &wanted, QObject *parent = nullptr);

// The twenty entries, 00 to 19.
const std::vector<SettingKey> &settingKeys();
// NumRead; a failure sets ReadFailed.
bool readAll(Session &session, SettingValues &values, QObject *parent = nullptr);
bool writeAll(Session &session, const SettingValues &wanted, QObject *parent = nullptr);

} // namespace korvanta::shortdial
