// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A text written in Japanese, shown in the operator's language. The context
// names the window or part it belongs to (a window's class name), and
// QT_TRANSLATE_NOOP marks the text for lupdate:
//
//   inline constexpr Text kReceiveFailed{"korvanta::Messages",
//                                        QT_TRANSLATE_NOOP("korvanta::Messages", "コマンドの受信に失敗しました")};
//
// It becomes a QString wherever one is wanted, translated at that moment.

#include <QCoreApplication>
#include <QString>

namespace korvanta {

struct Text {
    const char *context;
    const char *source;

    QString toString() const { return QCoreApplication::translate(context, source); }
    operator QString() const { return toString(); }
};

inline QString operator+(const Text &a, const QString &b)
{
    return a.toString() + b;
}
inline QString operator+(const Text &a, const char *b)
{
    return a.toString() + QString::fromUtf8(b);
}
inline QString operator+(const Text &a, QChar b)
{
    return a.toString() + b;
}
inline QString operator+(const QString &a, const Text &b)
{
    return a + b.toString();
}

} // namespace korvanta
