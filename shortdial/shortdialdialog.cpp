#include "shortdial/shortdialdialog.h"

namespace korvanta {

ShortDialDialog::ShortDialDialog(Session &session, QWidget *opener) : SettingsDialog(session, opener, QStringLiteral("Form4")) {}

void ShortDialDialog::readAdapter() {}

} // namespace korvanta
