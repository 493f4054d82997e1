// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataport/dataportmodel.h"

#include "link/protocol/reply.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace korvanta::dataport {

namespace {
QByteArray digitOf(const Port &port) { return QByteArray::number(port.digit); }

// Appends token to tokens when the dialog shows a value and it differs from
// the stored one.
void appendIfChanged(QByteArray &tokens, const QString &stored, const QString &current, const QByteArray &token)
{
    if (!current.isEmpty() && stored != current)
        tokens += token;
}

QByteArray commandOf(const QByteArray &tokens) { return tokens.isEmpty() ? QByteArray() : "AT" + tokens; }
} // namespace

// ---------------------------------------------------------------------------
// Ports

const std::span<const Port> ports()
{
    static const std::array<Port, 2> table{{
        {4, "DATA", "AT\\S5", "AT@J4?", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "DATAポート  "), 5, "Frame3",
         "Label1", "Text1", "Label2", "Text2", "Option16"},
        {5, "USB", "AT\\S6", "AT@J5?", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "USBポート  "), 11, "Frame15",
         "Label4", "Text4", "Label3", "Text3", "Option31"},
    }};
    return table;
}

const Port &port(PortIndex p) { return ports()[p]; }

const std::span<const NumberBox> numberBoxes()
{
    static const std::array<NumberBox, 2> table{{
        {kOwnNumberKey, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "自己アドレス"), &Port::numberBox, &Port::numberLabel,
         charset::kNumber, 32},
        {kSubaddressKey, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "自己サブアドレス"), &Port::subBox, &Port::subLabel,
         charset::kSubaddress, 20},
    }};
    return table;
}

bool NumberBox::accepts(const QString &text) const { return charset::fits(text, allowed, maxLength); }

const std::vector<PortSetting> &portSettings()
{
    static const std::vector<PortSetting> table{
        {"SUB_ADR", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "サブアドレスなし着信"), {"Frame6", "Frame13"}, 'M', "$M", "1",
         {{"1", {"Option9", "Option27"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "着信する"), nullptr},
          {"0", {"Option10", "Option28"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "着信しない"), nullptr}}},
        {"GLOBAL", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "グローバル着信"), {"Frame5", "Frame12"}, 'N', "$N", "1",
         {{"1", {"Option7", "Option25"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "着信する"), nullptr},
          {"0", {"Option8", "Option26"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "着信しない"), nullptr}}},
        {"CYAKU", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "着信規制"), {"Frame2", "Frame14"}, 'O', "$O", "0",
         {{"1", {"Option6", "Option30"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "規制する"), nullptr},
          {"0", {"Option5", "Option29"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "規制しない"), nullptr}}},
        {"SHIKI", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "識別着信"), {"Frame7", "Frame11"}, 'P', "$P", "0",
         {{"1", {"Option11", "Option23"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "する"), nullptr},
          {"0", {"Option12", "Option24"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "しない"), nullptr}}},
        {"TUCHI", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "発信者番号通知指定"), {"Frame1", "Frame16"}, 'B', "$B", "3",
         {{"0", {"Option1", "Option32"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "通知しない"), nullptr},
          {"1", {"Option2", "Option33"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "契約者番号を通知"), nullptr},
          {"2", {"Option3", "Option34"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "自己アドレスを通知"), nullptr},
          {"3", {"Option16", "Option31"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "網契約に従う"), nullptr}}},
        {kINumberKey, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "ｉ・ナンバー"), {"Frame19", "Frame18"}, 0, "@J", "1",
         {{"0", {"Option40", "Option37"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "全番号で着信する／契約者回線番号で発信する"),
           nullptr},
          {"1", {"Option41", "Option38"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "契約者回線番号で発着信する"),
           QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "契約者番号で発着信する")},
          {"2", {"Option42", "Option39"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "追加番号１で発着信する"), nullptr},
          {"3", {"Option43", "Option44"}, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "追加番号２で発着信する"), nullptr}}},
    };
    return table;
}

const PortSetting &portSetting(const char *key)
{
    for (const PortSetting &s : portSettings())
        if (std::strcmp(s.key, key) == 0)
            return s;
    Q_UNREACHABLE();
}

ListingReading parseListing(const QByteArray &answer, const Port &port)
{
    ListingReading r;
    const int colon = reply::find(answer, ':', 6);
    if (!colon)
        return r;
    r.ok = true;
    int i = colon; // 0-based index just after the ":"
    const int end = answer.size();
    // The own number, up to "*" (a subaddress follows) or CR; the end of the
    // text counts as a CR.
    QByteArray number;
    for (; i < end && answer[i] != '*' && answer[i] != '\r'; ++i)
        if (reply::keptInField(answer[i]))
            number += answer[i];
    r.number = reply::trimRight(number);
    if (i < end && answer[i] == '*') {
        ++i;
        QByteArray sub;
        for (; i < end && answer[i] != '\r'; ++i)
            if (reply::keptInField(answer[i]))
                sub += answer[i];
        r.subaddress = reply::trimRight(sub);
    }
    ++i; // past the CR of the number line
    // The tokens of the line that follows, up to its CR.
    const QByteArray digit = digitOf(port);
    while (i < end && answer[i] != '\r') {
        if (answer[i] != '$') {
            ++i;
            continue;
        }
        const QByteArray token = answer.mid(i + 1, 4).toUpper();
        i += 5;
        if (token.size() != 4 || token.mid(1, 2) != digit + ':')
            continue;
        for (const PortSetting &s : portSettings()) {
            if (!s.letter || token[0] != s.letter)
                continue;
            for (const PortOption &o : s.options)
                if (token[3] == o.value[0])
                    r.values.emplace_back(&s, QString::fromLatin1(o.value));
        }
    }
    return r;
}

namespace {
// A one-digit value sent as "000" to "00<highest>", from the first "0" at or
// after position from. No "0" is a failed reading; other text changes nothing.
Reading digitFrom(const QByteArray &answer, int from, char highest)
{
    const auto three = reply::threeDigitsFrom(answer, from);
    if (!three)
        return {false, {}};
    if (three->size() == 3 && three->startsWith("00") && three->at(2) >= '0' && three->at(2) <= highest)
        return {true, QString(QLatin1Char(three->at(2)))};
    return {};
}
} // namespace

Reading parseINumber(const QByteArray &answer) { return digitFrom(answer, 7, '3'); }

PortCommands composePortWrite(const Port &port, const StoredValue &stored, const ValueOf &current,
                              const std::optional<QString> &number, const std::optional<QString> &subaddress)
{
    PortCommands c;
    const QByteArray digit = digitOf(port);
    QByteArray tokens;
    for (const PortSetting &s : portSettings()) {
        const QString value = current(s.key);
        appendIfChanged(tokens, stored(s.key, s.defaultValue), value, s.setPrefix + digit + '=' + value.toLatin1());
    }
    c.settings = commandOf(tokens);
    if (number && stored(kOwnNumberKey, "") != *number)
        c.number = "AT$C" + digit + '=' + number->toLatin1();
    if (subaddress && stored(kSubaddressKey, "") != *subaddress)
        c.subaddress = "AT$E" + digit + '=' + subaddress->toLatin1();
    return c;
}

// ---------------------------------------------------------------------------
// Extended data settings

const std::vector<ExtSetting> &extSettings()
{
    static const std::vector<ExtSetting> table{
        {"CYANNEL", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "初期接続チャンネル数"), "Frame10", "AT%C?", 6, 0, "0",
         {{"0", "Option15", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "２チャンネル"), "%C0"},
          {"1", "Option14", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "１チャンネル"), "%C1"}}},
        {"REBOD", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "リソースＢＯＤの設定"), "Frame4", "AT%U?", 6, 1, "0",
         {{"3", "Option19", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "発信／着信とも割当て"), "%U3"},
          {"1", "Option20", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "発信時のみ割当て"), "%U1"},
          {"2", "Option21", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "着信時のみ割当て"), "%U2"},
          {"0", "Option22", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "割当てを行なわない"), "%U0"}}},
        {kBacpKey, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "ＢＯＤモード設定"), "Frame9", "AT&B?", 6, 1, "1",
         {{"0", "Option13", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "ＢＡＣＰ／ＢＡＰを使用しない"), "&B0"},
          {"1", "Option4", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "ＢＡＣＰ／ＢＡＰを使用する"), "&B1"}}},
        // Switched on through the directions of the detail dialog, so "使用する" sends nothing.
        {kThroughputKey, QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "スループットＢＯＤ"), "Frame8", "AT%A?%D?", 9, 1, "0",
         {{"1", "Option17", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "使用する"), ""},
          {"0", "Option18", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "使用しない"), "%A3%D3"}}},
        {"CYAKU", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "デジタル着信優先"), "Frame17", "AT%Y?", 6, 0, "0",
         {{"0", "Option36", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "ＤＡＴＡポート"), "%Y0"},
          {"1", "Option35", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "ＵＳＢポート"), "%Y1"}}},
    };
    return table;
}

const ExtSetting &extSetting(const char *key)
{
    for (const ExtSetting &s : extSettings())
        if (std::strcmp(s.key, key) == 0)
            return s;
    Q_UNREACHABLE();
}

namespace {
// The rows of a table in the order the adapter is asked for them: those
// named first, in that order, then every other row in the table's order, so
// that a new row is read without a second list to keep.
template <class Row, class Table>
std::vector<const Row *> askedInOrder(const Table &table, const char *Row::*name, std::initializer_list<const char *> first)
{
    std::vector<const Row *> order;
    for (const char *wanted : first)
        for (const Row &r : table)
            if (std::strcmp(r.*name, wanted) == 0)
                order.push_back(&r);
    for (const Row &r : table)
        if (std::find(order.begin(), order.end(), &r) == order.end())
            order.push_back(&r);
    return order;
}
} // namespace

const std::vector<const ExtSetting *> &extReadOrder()
{
    static const auto order =
        askedInOrder<ExtSetting>(extSettings(), &ExtSetting::key, {"CYANNEL", "REBOD", kThroughputKey, kBacpKey, "CYAKU"});
    return order;
}

namespace {
// The value of the three characters at a position, clamped to the setting's
// highest value: "any other value" selects the last one.
QString clampedValue(const ExtSetting &s, const QByteArray &answer, int position)
{
    const int highest = int(s.options.size()) - 1;
    const int v = reply::leadingNumber(reply::threeCharsAt(answer, position).value_or(QByteArray()));
    return QString::number(std::min(v, highest));
}
} // namespace

Reading parseExtended(const ExtSetting &s, const QByteArray &answer)
{
    const int zero = reply::find(answer, '0', s.searchFrom);
    if (!zero)
        return {false, {}};
    if (std::strcmp(s.key, kThroughputKey) != 0)
        return {true, clampedValue(s, answer, zero + s.valueOffset)};
    // Throughput BOD is off exactly when the add and the delete direction are
    // both 3. The delete value is looked for only when the add value is 3; an
    // answer that carries no delete value then is a failed reading.
    const int add = reply::leadingNumber(reply::threeCharsAt(answer, zero + 1).value_or(QByteArray()));
    if (add != 3)
        return {true, QStringLiteral("1")};
    const auto del = reply::threeDigitsFrom(answer, zero + 1 + 3);
    if (!del)
        return {false, {}};
    return {true, reply::leadingNumber(*del) == 3 ? QStringLiteral("0") : QStringLiteral("1")};
}

QByteArray composeExtWrite(const StoredValue &stored, const ValueOf &current)
{
    QByteArray tokens;
    for (const ExtSetting &s : extSettings()) {
        const QString value = current(s.key);
        for (const ExtOption &o : s.options)
            if (value == QLatin1String(o.value))
                appendIfChanged(tokens, stored(s.key, s.defaultValue), value, o.token);
    }
    return commandOf(tokens);
}

// ---------------------------------------------------------------------------
// Throughput BOD detail

const std::span<const BodDirection> bodDirections()
{
    static const std::array<BodDirection, 2> table{{
        {"ADD", "AT%A?", "%A", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "チャンネル追加設定"), "Frame1", "Frame3",
         "Label7", "ADD_SPEED",
         {{"Option1", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "送受信データとも評価し追加")},
          {"Option2", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "送信データのみ評価し追加")},
          {"Option3", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "受信データのみ評価し追加")},
          {"Option4", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "追加を行なわない")}}},
        {"DEL", "AT%D?", "%D", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "チャンネル削除設定"), "Frame2", "Frame4",
         "Label14", "DEL_SPEED",
         {{"Option5", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "送受信データとも評価し削除")},
          {"Option6", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "送信データのみ評価し削除")},
          {"Option7", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "受信データのみ評価し削除")},
          {"Option8", QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "削除を行なわない")}}},
    }};
    return table;
}

const std::span<const BodRegister> bodRegisters()
{
    static const std::array<BodRegister, 6> table{{
        {"ADD_$42", "AT$I42?", "$I42=", 0, BodKind::Threshold, "Text1", "VScroll1", 3},
        {"DEL_$45", "AT$I45?", "$I45=", 1, BodKind::Threshold, "Text4", "VScroll4", 3},
        {"ADD_$40", "AT$I40?", "$I40=", 0, BodKind::EvaluationTime, "Text2", "VScroll2", 3},
        {"DEL_$43", "AT$I43?", "$I43=", 1, BodKind::EvaluationTime, "Text5", "VScroll5", 3},
        {"ADD_$41", "AT$I41?", "$I41=", 0, BodKind::HoldingTime, "Text3", "VScroll3", 4},
        {"DEL_$44", "AT$I44?", "$I44=", 1, BodKind::HoldingTime, "Text6", "VScroll6", 4},
    }};
    return table;
}

const std::vector<const BodRegister *> &bodReadOrder()
{
    static const auto order = askedInOrder<BodRegister>(
        bodRegisters(), &BodRegister::query, {"AT$I40?", "AT$I43?", "AT$I41?", "AT$I44?", "AT$I42?", "AT$I45?"});
    return order;
}

const BodRange &bodRange(BodKind kind)
{
    static const std::array<BodRange, 3> table{{
        {BodKind::Threshold, QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "しきい値"),
         QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "％"), 0, 100, 1, 1,
         QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "有効範囲は0～100(%)です")},
        {BodKind::EvaluationTime, QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "評価時間"),
         QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "秒"), 1, 255, 1, 1,
         QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "有効範囲は1～255(秒)です")},
        {BodKind::HoldingTime, QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "最小保持時間"),
         QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "秒"), 5, 1275, 5, 5,
         QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "有効範囲は5～1275(秒)です")},
    }};
    return table[int(kind)];
}

Reading parseDirection(const QByteArray &answer) { return digitFrom(answer, 6, '3'); }

Reading parseRegister(const QByteArray &answer)
{
    // The value stands at position 11 behind any seven-character query; its
    // first digit is 0, 1 or 2 for the three-digit register values.
    const auto three = reply::threeCharsAt(answer, 11);
    if (!three || three->at(0) < '0' || three->at(0) > '2')
        return {false, {}};
    return {true, QString::number(reply::leadingNumber(*three))};
}

int numericValue(const QString &text) { return reply::leadingNumber(text.toLatin1()); }

QString boxTextOf(const BodRegister &reg, const QString &registerValue)
{
    return QString::number(numericValue(registerValue) * bodRange(reg.kind).scale);
}

QString registerTextOf(const BodRegister &reg, const QString &boxText)
{
    const int scale = bodRange(reg.kind).scale;
    // Typed texts go out as typed, leading zeros included; only the holding
    // times are converted to register units.
    return scale == 1 ? boxText : QString::number(numericValue(boxText) / scale);
}

QString speedText(int threshold)
{
    // The product is taken in double precision and held in single precision,
    // then written with at most seven significant digits, trailing zeros
    // dropped (33 gives 2.64, not the 2.6399999 of a single-precision product).
    const float speed = float(8.0 / 100.0 * threshold);
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, speed, std::chars_format::general, 7);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString speedCaption(int threshold)
{
    // The channel's kilobytes a second: the unit goes with the language.
    return QCoreApplication::translate("korvanta::ThroughputBodDialog", "約 %1Kbps").arg(speedText(threshold));
}

int spin(BodKind kind, int value, bool up)
{
    const BodRange &r = bodRange(kind);
    int v = up ? value + r.step : value - r.step;
    if (v < r.minimum)
        v = r.maximum;
    else if (v > r.maximum)
        v = r.minimum;
    return v - v % r.step;
}

namespace {
bool inRange(BodKind kind, const QString &boxText)
{
    const BodRange &r = bodRange(kind);
    const int v = numericValue(boxText);
    return !boxText.isEmpty() && v >= r.minimum && v <= r.maximum;
}
} // namespace

std::optional<QString> bodRangeMessage(const std::function<std::optional<QString>(const BodRegister &)> &boxText)
{
    // Registers are listed threshold, evaluation time, holding time; add before
    // delete within each: the order of the checks.
    for (const BodRegister &reg : bodRegisters()) {
        const std::optional<QString> text = boxText(reg);
        if (text && !inRange(reg.kind, *text))
            return QCoreApplication::translate("korvanta::ThroughputBodDialog", bodRange(reg.kind).rangeMessage);
    }
    return std::nullopt;
}

bool acceptsRegisterValue(const BodRegister &reg, const QString &value)
{
    // Three digits hold every register value; a holding time's box has four
    // for the time in seconds.
    return charset::fits(value, charset::kDigits, kRegisterDigits) && inRange(reg.kind, value.isEmpty() ? value : boxTextOf(reg, value));
}

QByteArray composeBodWrite(const StoredValue &stored, const ValueOf &current)
{
    QByteArray tokens;
    for (const BodDirection &dir : bodDirections()) {
        const QString value = current(dir.key);
        appendIfChanged(tokens, stored(dir.key, kDirectionDefault), value, dir.setPrefix + value.toLatin1());
    }
    for (const BodRegister &reg : bodRegisters()) {
        const QString value = current(reg.key);
        appendIfChanged(tokens, stored(reg.key, ""), value, reg.setPrefix + value.toLatin1());
    }
    return commandOf(tokens);
}

// ---------------------------------------------------------------------------
// BAP request handling

const std::span<const BapSide> bapSides()
{
    static const std::array<BapSide, 2> table{{
        {"HASHIN", "AT$I47?", "$I47=", "Label1", QT_TRANSLATE_NOOP("korvanta::BapDialog", "＜発信側設定＞"), "7"},
        {"CYAKU", "AT$I46?", "$I46=", "Label5", QT_TRANSLATE_NOOP("korvanta::BapDialog", "＜着信側要求＞"), "7"},
    }};
    return table;
}

const std::span<const BapRequest> bapRequests()
{
    static const std::array<BapRequest, 3> table{{
        {1, QT_TRANSLATE_NOOP("korvanta::BapDialog", "チャンネル追加"), {"Frame1", "Frame5"}, {"Option1", "Option7"},
         {"Option2", "Option8"}},
        {2, QT_TRANSLATE_NOOP("korvanta::BapDialog", "コールバック要求"), {"Frame2", "Frame6"}, {"Option3", "Option9"},
         {"Option4", "Option10"}},
        {4, QT_TRANSLATE_NOOP("korvanta::BapDialog", "チャンネル削除"), {"Frame4", "Frame7"}, {"Option5", "Option11"},
         {"Option6", "Option12"}},
    }};
    return table;
}

Reading parseMask(const QByteArray &answer) { return digitFrom(answer, 8, '7'); }

int maskOf(const std::function<bool(const char *control)> &isOn, int side, const QString &stored)
{
    const bool haveStored = stored.size() == 1 && stored[0] >= u'0' && stored[0] <= u'7';
    const int unchosen = haveStored ? stored.toInt() : 7;
    int value = 0;
    for (const BapRequest &r : bapRequests()) {
        const bool answered = isOn(r.answer[side]) || (!isOn(r.refuse[side]) && (unchosen & r.bit));
        if (answered)
            value += r.bit;
    }
    return value;
}

QByteArray composeBapWrite(const StoredValue &stored, const ValueOf &current)
{
    QByteArray tokens;
    for (const BapSide &s : bapSides()) {
        const QString value = current(s.key);
        appendIfChanged(tokens, stored(s.key, s.defaultValue), value, s.setPrefix + value.toLatin1());
    }
    return commandOf(tokens);
}

} // namespace korvanta::dataport
