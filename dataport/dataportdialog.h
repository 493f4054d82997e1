#pragma once

#include "app/settingsdialog.h"

namespace korvanta {

class DataPortDialog : public SettingsDialog {
    Q_OBJECT
public:
    DataPortDialog(Session &session, QWidget *opener);

protected:
    void readAdapter() override;
};

} // namespace korvanta
