#include "dataport/dataportdialog.h"

namespace korvanta {

DataPortDialog::DataPortDialog(Session &session, QWidget *opener) : SettingsDialog(session, opener, QStringLiteral("Form3")) {}

void DataPortDialog::readAdapter() {}

} // namespace korvanta
