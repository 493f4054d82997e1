// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dataport/dataportmodel.h"
#include "ui/settingsdialog.h"
#include "workfile/settingvalues.h"

class QTabWidget;

namespace korvanta {

// Form3 "データポート設定": the DATA and USB ports and the extended data
// settings; opens the throughput BOD (Form5) and BACP/BAP (Form6) details.
class DataPortDialog : public SettingsDialog {
    Q_OBJECT
public:
    DataPortDialog(Session &session, QWidget *opener);

    // The index of the tab last chosen; 0 when the dialog loads.
    int selectedTab() const { return m_selectedTab; }
    int helpContext() const;

protected:
    SettingValues readAdapter() override;

private:
    QWidget *buildPortTab(dataport::PortIndex p);
    QWidget *buildCommonTab();

    // What was read into the controls, and the controls as values: a frame
    // with no option on gives none.
    void showValues(const SettingValues &values);
    SettingValues shownValues() const;

    void registerSettings();
    void openBodDetail();
    void openBapDetail();

    QTabWidget *m_tabs = nullptr;
    int m_selectedTab = 0;
};

} // namespace korvanta
