// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace korvanta {

class Session;

// "バージョン情報": the utility's version and the adapter's firmware text as
// identification read it.
class VersionDialog : public QDialog {
    Q_OBJECT
public:
    VersionDialog(const Session &session, QWidget *parent = nullptr);
};

} // namespace korvanta
