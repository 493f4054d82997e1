// SPDX-License-Identifier: GPL-3.0-or-later
#include "numberdisplay/numberdisplaymodel.h"

#include "link/protocol/reply.h"

#include <QCoreApplication>

namespace korvanta::numberdisplay {

namespace {
const Port kPorts[kPortCount] = {
    {"TEL1", QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "ＴＥＬ１詳細設定"), "", 13},
    {"TEL2", QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "ＴＥＬ２詳細設定"),
     QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "注意） TEL2/TEL3は同時に使用できません。"), 14},
    {"TEL3", QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "ＴＥＬ３詳細設定"),
     QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "注意） TEL2/TEL3は同時に使用できません。"), 15},
};
} // namespace

const Port &port(int index)
{
    return kPorts[index];
}

const Setting &numberDisplay()
{
    static const Setting s{"NDISPLAY", "Frame2",
                           QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "ナンバー･ディスプレイ"),
                           {"AT$D1?", "AT$D2?", "AT$D3?"}, {"$D1=", "$D2=", "$D3="},
                           {{'0', "Option1", QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "対応機器を使用しない")},
                            {'1', "Option2", QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "対応機器を使用する")}}};
    return s;
}

const Setting &iNumber()
{
    static const Setting s{"INUMBER", "Frame1", QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "ｉ・ナンバー"),
                           {"AT@J1?", "AT@J2?", "AT@J3?"}, {"@J1=", "@J2=", "@J3="},
                           {{'0', "Option4",
                             QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "全番号で着信する／契約者回線番号で発信する")},
                            {'1', "Option5", QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "契約者回線番号で発着信する")},
                            {'2', "Option6", QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "追加番号１で発着信する")},
                            {'3', "Option3", QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "追加番号２で発着信する")}}};
    return s;
}

Reading readReply(const Setting &setting, int port, const QByteArray &answer)
{
    // The first "0" after the echo of the query.
    const auto digits = reply::threeDigitsFrom(answer, int(qstrlen(setting.query[port])) + 1);
    if (!digits)
        return {};
    Reading r{true, std::nullopt};
    if (digits->size() == 3 && digits->startsWith("00"))
        for (const Option &o : setting.options)
            if (o.value == digits->at(2))
                r.value = o.value;
    return r;
}

std::optional<char> wanted(const Setting &setting, const std::vector<bool> &checked)
{
    // A group with no option selected (no read filled it) sends nothing: a
    // value the operator never saw must not overwrite the adapter's.
    for (size_t i = 0; i < setting.options.size() && i < checked.size(); ++i)
        if (checked[i])
            return setting.options[i].value;
    return std::nullopt;
}

Write composeWrite(int port, std::optional<char> display, const QString &storedDisplay,
                   std::optional<char> iNumberWanted, const QString &storedINumber)
{
    Write w;
    QByteArray body;
    if (display && QString(QLatin1Char(*display)) != storedDisplay) {
        body += numberDisplay().piece[port] + QByteArray(1, *display);
        w.displayOn = *display - '0';
    }
    if (iNumberWanted && QString(QLatin1Char(*iNumberWanted)) != storedINumber)
        body += iNumber().piece[port] + QByteArray(1, *iNumberWanted);
    if (!body.isEmpty())
        w.command = "AT" + body;
    return w;
}

bool displayLocked(int port, const std::array<int, kPortCount> &flags)
{
    const auto [first, second] = kExclusivePorts;
    if (port == first)
        return flags[second] != 0;
    if (port == second)
        return flags[first] != 0;
    return false;
}

} // namespace korvanta::numberdisplay
