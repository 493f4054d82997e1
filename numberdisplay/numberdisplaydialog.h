// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/settingsdialog.h"
#include "workfile/settingvalues.h"

#include <vector>

class QRadioButton;
class QLabel;

namespace korvanta {

namespace numberdisplay {
struct Setting;
}

// Form14: the number display and i-number settings of one telephone port,
// opened from the telephone port dialog for the port of its current tab. The
// reading and writing are the number display core's (NdRead, NdWrite); the
// window shows and takes their records.
class NumberDisplayDialog : public SettingsDialog {
    Q_OBJECT
public:
    // port: 0 TEL1, 1 TEL2, 2 TEL3.
    NumberDisplayDialog(Session &session, int port, QWidget *opener);

    // What the options show: a setting only when there is something to send.
    SettingValues shownValues();
    void showValues(const SettingValues &values);

protected:
    SettingValues readAdapter() override;

private:
    void registerSettings();
    std::vector<QRadioButton *> &optionsOf(const numberdisplay::Setting &setting);
    std::vector<bool> checked(const numberdisplay::Setting &setting);
    void select(const numberdisplay::Setting &setting, char value);

    int m_port;
    QLabel *m_note;
    std::vector<QRadioButton *> m_display;
    std::vector<QRadioButton *> m_iNumber;
};

} // namespace korvanta
