#pragma once

#include "ui/settingsdialog.h"

namespace korvanta {

// Form6 "BACP/BAP詳細設定": how the adapter answers BAP requests, for the
// calling and the called side.
class BapDialog : public SettingsDialog {
    Q_OBJECT
public:
    BapDialog(Session &session, QWidget *opener);

protected:
    void readAdapter() override;

private:
    void BapRead();
    void BapWrite();
    void registerSettings();
};

} // namespace korvanta
