// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The manual page of the profile format, korvanta-profile(5), written from
// the settings' tables and rules that reading and restoring a profile check
// with, so that page and program cannot disagree.

#include "workfile/settingvalues.h"

#include <QByteArray>
#include <span>

namespace korvanta::profile {

// The page in roff, UTF-8: every section and key in the order a file holds
// them, with caption, values and their meanings, then the rules.
QByteArray manualPage(std::span<const SettingKey> keys, std::span<const SettingRule> rules);

} // namespace korvanta::profile
