// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The characters a setting's text may hold, as its input box takes them: the
// windows screen what is typed with them, and the checks of a value use them
// alike. The text goes out inside an AT command line.

#include <QString>
#include <limits>

namespace korvanta::charset {

inline const QString kDigits = QStringLiteral("0123456789");
inline const QString kNumber = QStringLiteral("0123456789-()#");   // telephone numbers
inline const QString kSubaddress = QStringLiteral("0123456789#*"); // subaddresses

// Every character of text is one of allowed, and there are at most maxLength.
inline bool fits(const QString &text, const QString &allowed, int maxLength = std::numeric_limits<int>::max())
{
    if (text.size() > maxLength)
        return false;
    for (const QChar c : text)
        if (!allowed.contains(c))
            return false;
    return true;
}

} // namespace korvanta::charset
