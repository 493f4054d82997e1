#pragma once

#include "app/settingsdialog.h"

namespace korvanta {

class TelephoneDialog : public SettingsDialog {
    Q_OBJECT
public:
    TelephoneDialog(Session &session, QWidget *opener);

protected:
    void readAdapter() override;
};

} // namespace korvanta
