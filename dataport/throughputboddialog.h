// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dataport/dataportmodel.h"
#include "ui/settingsdialog.h"
#include "workfile/settingvalues.h"

class QLabel;
class QLineEdit;
class QScrollBar;

namespace korvanta {

// Form5 "ｽﾙｰﾌﾟｯﾄBOD詳細設定": when the adapter adds a channel to a data call
// and when it removes it again, by the measured throughput.
class ThroughputBodDialog : public SettingsDialog {
    Q_OBJECT
public:
    ThroughputBodDialog(Session &session, QWidget *opener);

protected:
    SettingValues readAdapter() override;

private:
    QWidget *buildDirection(int d);
    // What was read into the controls, and the controls as values: the
    // directions whose frame has an option on, every box as its register.
    void showValues(const SettingValues &values);
    SettingValues shownValues() const;
    void registerSettings();
    void spinnerMoved(const dataport::BodRegister &reg, QScrollBar *bar, int value);
    void showSpeed(int d);

    QLineEdit *box(const dataport::BodRegister &reg) const;
    QString boxText(const dataport::BodRegister &reg) const;
    int direction(int d) const;
};

} // namespace korvanta
