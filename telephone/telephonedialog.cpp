#include "telephone/telephonedialog.h"

namespace korvanta {

TelephoneDialog::TelephoneDialog(Session &session, QWidget *opener) : SettingsDialog(session, opener, QStringLiteral("Form2")) {}

void TelephoneDialog::readAdapter() {}

} // namespace korvanta
