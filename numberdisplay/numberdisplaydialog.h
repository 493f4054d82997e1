#pragma once

#include "ui/settingsdialog.h"

#include <vector>

class QRadioButton;
class QLabel;

namespace korvanta {

namespace numberdisplay {
struct Setting;
}

// Form14: the number display and i-number settings of one telephone port,
// opened from the telephone port dialog for the port of its current tab.
class NumberDisplayDialog : public SettingsDialog {
    Q_OBJECT
public:
    // port: 0 TEL1, 1 TEL2, 2 TEL3.
    NumberDisplayDialog(Session &session, int port, QWidget *opener);

    // NdRead and NdWrite; true when every exchange was answered.
    bool NdRead();
    bool NdWrite();

protected:
    void readAdapter() override;

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
