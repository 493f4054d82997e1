#pragma once

// The characters a setting's text may hold: the sets the input boxes accept
// and the checks of a value against them, for windows and cores alike.

#include <QString>

namespace korvanta::charset {

inline const QString kDigits = QStringLiteral("0123456789");
inline const QString kNumber = QStringLiteral("0123456789-()#");   // telephone numbers
inline const QString kSubaddress = QStringLiteral("0123456789#*"); // subaddresses

// Whether text has at most maxLength characters, each one of allowed.
inline bool consistsOf(const QString &text, const QString &allowed, int maxLength)
{
    if (text.size() > maxLength)
        return false;
    for (const QChar c : text)
        if (!allowed.contains(c))
            return false;
    return true;
}

} // namespace korvanta::charset
