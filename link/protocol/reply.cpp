// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/protocol/reply.h"

namespace korvanta::reply {

int find(const QByteArray &answer, char c, int from)
{
    if (from < 1)
        from = 1;
    const int i = answer.indexOf(c, from - 1);
    return i < 0 ? 0 : i + 1;
}

std::optional<QByteArray> threeDigitsFrom(const QByteArray &answer, int from)
{
    const int at = find(answer, '0', from);
    if (!at)
        return std::nullopt;
    return answer.mid(at - 1, 3);
}

std::optional<QByteArray> threeCharsAt(const QByteArray &answer, int position)
{
    if (position < 1 || position > answer.size())
        return std::nullopt;
    return answer.mid(position - 1, 3);
}

int leadingNumber(const QByteArray &text)
{
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > 1000000)
            break;
    }
    return value;
}

QByteArray trimRight(const QByteArray &text)
{
    int n = text.size();
    while (n > 0 && text[n - 1] == ' ')
        --n;
    return text.left(n);
}

bool keptInField(char c)
{
    return c != '\n' && c != '\0';
}

} // namespace korvanta::reply
