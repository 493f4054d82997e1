// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/settingsdialog.h"
#include "workfile/settingvalues.h"

namespace korvanta {

// Form6 "BACP/BAP詳細設定": how the adapter answers BAP requests, for the
// calling and the called side.
class BapDialog : public SettingsDialog {
    Q_OBJECT
public:
    BapDialog(Session &session, QWidget *opener);

protected:
    SettingValues readAdapter() override;

private:
    // What was read into the options, and the options as values: a frame
    // with no option on keeps the side's stored bit.
    void showValues(const SettingValues &values);
    SettingValues shownValues() const;
    void registerSettings();
};

} // namespace korvanta
