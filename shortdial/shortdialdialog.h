#pragma once

#include "app/settingsdialog.h"

namespace korvanta {

class ShortDialDialog : public SettingsDialog {
    Q_OBJECT
public:
    ShortDialDialog(Session &session, QWidget *opener);

protected:
    void readAdapter() override;
};

} // namespace korvanta
