// SPDX-License-Identifier: GPL-3.0-or-later
#include "telephone/telephonemodel.h"

#include "link/protocol/reply.h"
#include "workfile/charset.h"

#include <QCoreApplication>

namespace korvanta::telephone {

namespace {

const Port kPorts[kPortCount] = {
    {'1', "TEL1", QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "TEL1ポート"), 2, "AT\\S2", "Command5",
     QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "TEL1詳細設定"), "Frame3", "Label17", "Option82"},
    {'2', "TEL2", QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "TEL2ポート"), 3, "AT\\S3", "Command8",
     QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "TEL2詳細設定"), "Frame12", "Label16", "Option83"},
    {'3', "TEL3", QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "TEL3ポート"), 4, "AT\\S4", "Command9",
     QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "TEL3詳細設定"), "Frame23", "Label18", "Option84"},
};

} // namespace

std::span<const Port> ports()
{
    return kPorts;
}

const std::vector<PortChoice> &portChoices()
{
    static const std::vector<PortChoice> rows = {
        {"ONSEI", 'L', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "アナログポート"), {"Frame1", "Frame14", "Frame25"}, '0',
         {{'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "音声"), {"Option1", "Option24", "Option46"}},
          {'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "3.1KHzｵｰﾃﾞｨｵ"), {"Option2", "Option25", "Option45"}}}},
        {"GLOBAL", 'N', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "グローバル着信"), {"Frame5", "Frame17", "Frame28"},
         '1',
         {{'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "着信する"), {"Option7", "Option31", "Option53"}},
          {'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "着信しない"), {"Option8", "Option32", "Option52"}}}},
        {"SUB_ADR", 'M', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "ｻﾌﾞｱﾄﾞﾚｽなし着信"),
         {"Frame6", "Frame18", "Frame29"}, '1',
         {{'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "着信する"), {"Option9", "Option33", "Option55"}},
          {'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "着信しない"), {"Option10", "Option34", "Option54"}}}},
        {"CYAKU", 'O', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "着信規制"), {"Frame4", "Frame16", "Frame27"}, '0',
         {{'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "規制する"), {"Option3", "Option29", "Option51"}},
          {'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "規制しない"), {"Option4", "Option30", "Option50"}}}},
        {"SHIKI", 'P', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "識別着信"), {"Frame7", "Frame19", "Frame30"}, '0',
         {{'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "する"), {"Option11", "Option35", "Option57"}},
          {'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "しない"), {"Option12", "Option36", "Option56"}}}},
        {"CALLWAIT", 'K', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "コールウェイティング"),
         {"Frame2", "Frame15", "Frame26"}, '0',
         {{'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "使用しない"), {"Option5", "Option26", "Option49"}},
          {'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "NTTｺｰﾙｳｪｲﾃｨﾝｸﾞ"), {"Option6", "Option27", "Option48"}},
          {'2', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "擬似ｺｰﾙｳｪｲﾃｨﾝｸﾞ"),
           {"Option13", "Option28", "Option47"}}}},
        {"TUCHI", 'B', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "発信者番号通知指定"), {"Frame10", "Frame21", "Frame32"},
         '3',
         {{'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "通知しない"), {"Option16", "Option37", "Option60"}},
          {'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "契約者回線番号を通知"), {"Option17", "Option38", "Option59"}},
          {'2', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "自己アドレスを通知"), {"Option18", "Option39", "Option58"}},
          {'3', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "網契約に従う"), {"Option82", "Option83", "Option84"}, true}}},
        {"CYAKU_TRN", 'F', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "着信転送"), {"Frame8", "Frame13", "Frame24"},
         '0',
         {{'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "利用する"), {"Option14", "Option22", "Option44"}},
          {'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "利用しない"), {"Option15", "Option23", "Option43"}}}},
        // The two announcement boxes share the call forwarding frame.
        {"TOKI", 'H', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "着信転送"), {"Frame8", "Frame13", "Frame24"}, '0',
         {{'2', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "転送トーキ"), {"Check1", "Check3", "Check6"}},
          {'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "転送元トーキ"), {"Check2", "Check4", "Check5"}}},
         true, false, true},
        {"CHIEN", 'U', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "アナログ着信"), {"Frame11", "Frame22", "Frame33"}, '1',
         {{'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "優先着信"), {"Option21", "Option42", "Option61"}},
          {'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "先行着信"), {"Option20", "Option41", "Option62"}},
          {'2', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "遅延着信"), {"Option19", "Option40", "Option63"}}}},
        {"RING", 'W', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "内線呼出音"), {"Frame42", "Frame41", "Frame40"}, '1',
         {{'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "ﾘｰﾝ･ﾘｰﾝ"), {"Option91", "Option88", "Option85"}},
          {'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "ﾘｰｰﾝ･ﾘｰｰﾝ"), {"Option92", "Option89", "Option86"}},
          {'2', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "ﾘｰﾝﾘﾝ･ﾘｰﾝﾘﾝ"), {"Option93", "Option90", "Option87"}}},
         false, true, false, {"AT$W1?", "AT$W2?", "AT$W3?"}, ringPatternReply},
    };
    return rows;
}

std::optional<char> shownChoice(const PortChoice &choice, const std::vector<bool> &checked)
{
    if (choice.checkBoxes) {
        int v = 0;
        for (size_t i = 0; i < choice.values.size() && i < checked.size(); ++i)
            if (checked[i])
                v += choice.values[i].value - '0';
        return char('0' + v);
    }
    for (size_t i = 0; i < choice.values.size() && i < checked.size(); ++i)
        if (checked[i])
            return choice.values[i].value;
    return std::nullopt;
}

bool accepts(const PortChoice &choice, char value)
{
    if (choice.checkBoxes)
        return value >= '0' && value <= '3';
    for (const ChoiceValue &v : choice.values)
        if (v.value == value)
            return true;
    return false;
}

bool accepts(const PortChoice &choice, const QString &value)
{
    return value.size() == 1 && accepts(choice, value[0].toLatin1());
}

std::vector<bool> checkedFor(const PortChoice &choice, char value)
{
    std::vector<bool> checked;
    for (const ChoiceValue &v : choice.values)
        checked.push_back(choice.checkBoxes ? ((value - '0') & (v.value - '0')) != 0 : v.value == value);
    return checked;
}

int boxNumber(const QString &text)
{
    return reply::leadingNumber(text.toLatin1());
}

QString spinStep(const QString &text, int direction, NumberRange range)
{
    // Only the step that leaves the range wraps.
    int n = boxNumber(text) + direction;
    if (direction < 0 && n < range.min)
        n = range.max;
    else if (direction > 0 && n > range.max)
        n = range.min;
    return QString::number(n);
}

const std::vector<PortText> &portTexts()
{
    static const std::vector<PortText> rows = {
        {kOwnNumberKey, QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "自己アドレス"), kNumberFrameCaption,
         {"Frame3", "Frame12", "Frame23"},
         {"Text2", "Text5", "Text10"}, {"Label2", "Label4", "Label10"}, {"AT$C1=", "AT$C2=", "AT$C3="},
         charset::kNumber, 32},
        {kSubaddressKey, QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "自己サブアドレス"), kNumberFrameCaption,
         {"Frame3", "Frame12", "Frame23"},
         {"Text1", "Text6", "Text9"}, {"Label1", "Label6", "Label9"}, {"AT$E1=", "AT$E2=", "AT$E3="},
         charset::kSubaddress, 20},
        {kForwardingKey, QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "転送先電話番号"),
         QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "着信転送"), {"Frame8", "Frame13", "Frame24"},
         {"Text3", "Text7", "Text11"}, {"Label3", "Label7", "Label11"}, {"AT$G1=", "AT$G2=", "AT$G3="},
         charset::kNumber, 32},
        {kDialTimeKey, QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "発信時間設定"),
         QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "発信時間設定"), {"Frame9", "Frame20", "Frame31"},
         {"Text4", "Text8", "Text12"}, {nullptr, nullptr, nullptr}, {"AT$I11=", "AT$I12=", "AT$I13="},
         charset::kDigits, 2, {"AT$I11?", "AT$I12?", "AT$I13?"}, {"VScroll1", "VScroll2", "VScroll3"},
         {"Label5", "Label8", "Label12"}, QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "秒"), {3, 15}},
    };
    return rows;
}

const PortText *portText(const char *key)
{
    for (const PortText &t : portTexts())
        if (qstrcmp(t.key, key) == 0)
            return &t;
    return nullptr;
}

const PortText &dialTime()
{
    static const PortText &row = *portText(kDialTimeKey); // the table has it
    return row;
}

namespace {
// An emptied box is out of every range: its command would go out with
// nothing after "=", which the adapter refuses for the whole line.
bool inRange(const QString &text, NumberRange range)
{
    const int n = boxNumber(text);
    return !text.isEmpty() && n >= range.min && n <= range.max;
}

bool isOption(const std::vector<ChoiceValue> &values, const QString &value)
{
    for (const ChoiceValue &v : values)
        if (value == QLatin1Char(v.value))
            return true;
    return false;
}
} // namespace

bool accepts(const PortText &text, const QString &value)
{
    return charset::fits(value, text.charset, text.maxLength) && (text.fromStatus() || inRange(value, text.range));
}

const std::vector<CommonSetting> &commonSettings()
{
    static const std::vector<CommonSetting> rows = {
        {.key = "INUMBER", .frame = "Frame45", .frameCaption = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "ｉ・ナンバー"),
         .query = "AT@I?",
         .kind = CommonKind::Choice, .piece = "@I", .defaultValue = "1",
         .values = {{'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "使用しない"), {"Option95"}},
          {'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "使用する"), {"Option94"}}}},
        {.key = "CHIEN", .frame = "Frame37", .frameCaption = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "遅延回数設定"),
         .query = "AT$I20?",
         .kind = CommonKind::Number, .piece = "$I20=", .defaultValue = "", .box = "Text13", .spin = "VScroll4",
         .unitLabel = "Label13", .unitCaption = QT_TRANSLATE_N_NOOP("korvanta::TelephoneDialog", "回"), .unitCounts = true,
         .maxLength = 1,
          .range = {0, 9},
         .rangeMessage = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "有効範囲は0～9(回)です")},
        {.key = kHoldKey, .frame = "Frame35",
         .frameCaption = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "外線保留キー設定"), .query = "AT$I14?",
         .kind = CommonKind::Key, .piece = "$I14=", .defaultValue = "1",
         .values = {{'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "なし"), {"Option69"}},
          {'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＊"), {"Option68"}},
          {'2', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＃"), {"Option67"}},
                    {'3', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＊＊"), {"Option66"}}, {'4',
                     QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＊＃"), {"Option65"}}, {'5',
                     QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＃＊"), {"Option64"}}},
         .clearsOnRead = true},
        {.key = kShortDialKey, .frame = "Frame34",
         .frameCaption = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "短縮ダイヤル キー設定"), .query = "AT$I15?",
         .kind = CommonKind::Key, .piece = "$I15=", .defaultValue = "2",
         .values = {{'0', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "なし"), {"Option72"}},
          {'1', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＊"), {"Option75"}, true},
          {'2', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＃"), {"Option77"}},
                    {'3', QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＊＊"), {"Option79"}, true}, {'4',
                     QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＊＃"), {"Option80"}, true}, {'5',
                     QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "＃＊"), {"Option81"}}},
         .clearsOnRead = true},
        {.key = "RING", .frame = "Frame43", .frameCaption = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "呼出音周波数の設定"),
         .query = "AT$I29?",
         .kind = CommonKind::OwnNumberCommand, .piece = "AT$I29=", .defaultValue = "", .newFirmwareOnly = true,
         .box = "Text14", .spin = "VScroll5", .unitLabel = "Label19",
          .unitCaption = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "ヘルツ"), .maxLength = 2,
         .range = {16, 30}, .rangeMessage = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "有効範囲は16～30Hzです")},
        {.key = "NDSQ", .frame = "Frame44",
         .frameCaption = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "ﾅﾝﾊﾞｰﾃﾞｨｽﾌﾟﾚｲ情報送出ｼｰｹﾝｽ設定"), .query = "AT$V?",
         .kind = CommonKind::OwnNumberCommand, .piece = "AT$V", .defaultValue = "", .newFirmwareOnly = true,
         .box = "Text15", .spin = "VScroll6", .maxLength = 2, .range = {0, 2},
          .rangeMessage = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "有効範囲は0～2です")},
    };
    return rows;
}

std::optional<size_t> commonRow(const char *key)
{
    const auto &rows = commonSettings();
    for (size_t r = 0; r < rows.size(); ++r)
        if (qstrcmp(rows[r].key, key) == 0)
            return r;
    return std::nullopt;
}

const CommonSetting &holdKey()
{
    static const CommonSetting &row = commonSettings()[*commonRow(kHoldKey)]; // the table has it
    return row;
}

const CommonSetting &shortDialKey()
{
    static const CommonSetting &row = commonSettings()[*commonRow(kShortDialKey)];
    return row;
}

bool keysClash(char hold, char shortDial)
{
    return hold == shortDial && hold != '0';
}

bool accepts(const CommonSetting &setting, const QString &value)
{
    if (setting.isChoice())
        return isOption(setting.values, value);
    return charset::fits(value, charset::kDigits, setting.maxLength) && inRange(value, setting.range);
}

// ---------------------------------------------------------------------------
// Reading

std::optional<PortStatus> parsePortStatus(const QByteArray &answer, const Port &port)
{
    PortStatus status;
    // Own number and subaddress: after the first ":" behind the echo, up to CR.
    int colon = reply::find(answer, ':', 6);
    if (!colon)
        return std::nullopt;
    int i = colon; // 0-based index of the character after the ":"
    bool inSubaddress = false;
    for (; i < answer.size() && answer[i] != '\r'; ++i) {
        if (answer[i] == '*' && !inSubaddress)
            inSubaddress = true;
        else if (reply::keptInField(answer[i]))
            (inSubaddress ? status.subaddress : status.ownNumber) += answer[i];
    }
    status.ownNumber = reply::trimRight(status.ownNumber);
    status.subaddress = reply::trimRight(status.subaddress);

    // Forwarding number: after the next ":", up to CR.
    colon = reply::find(answer, ':', i + 2);
    if (!colon)
        return status;
    status.complete = true;
    i = colon;
    for (; i < answer.size() && answer[i] != '\r'; ++i)
        if (reply::keptInField(answer[i]))
            status.forwarding += answer[i];
    status.forwarding = reply::trimRight(status.forwarding);

    // Token line: every "$" starts a four-character token; anything else is
    // skipped, up to the next CR.
    const auto &choices = portChoices();
    for (++i; i < answer.size() && answer[i] != '\r'; ++i) {
        if (answer[i] != '$')
            continue;
        const QByteArray token = answer.mid(i + 1, 4);
        i += 4;
        if (token.size() != 4 || token[1] != port.digit || token[2] != ':')
            continue;
        const char letter = token[0];
        const char value = token[3];
        if (letter == 'D') {
            if (value == '0' || value == '1')
                status.numberDisplay = value - '0';
            continue;
        }
        for (size_t c = 0; c < choices.size(); ++c)
            if (choices[c].inStatus && choices[c].letter == letter && accepts(choices[c], value))
                status.tokens.emplace_back(int(c), value);
    }
    return status;
}

std::optional<QByteArray> replyDigits(const QByteArray &answer, const QByteArray &command)
{
    // The first position after the echo of the command.
    return reply::threeDigitsFrom(answer, int(command.size()) + 1);
}

std::optional<char> replyChoice(const QByteArray &digits, const std::vector<ChoiceValue> &values)
{
    if (digits.size() != 3 || !digits.startsWith("00"))
        return std::nullopt;
    for (const ChoiceValue &v : values)
        if (v.value == digits[2])
            return v.value;
    return std::nullopt;
}

char ringPattern(const QByteArray &digits)
{
    const int n = reply::leadingNumber(digits);
    return n == 0 ? '0' : n == 1 ? '1' : '2';
}

std::optional<char> ringPatternReply(const QByteArray &digits)
{
    return ringPattern(digits);
}

// ---------------------------------------------------------------------------
// Writing

QList<QByteArray> portWriteCommands(const Port &port, const PortShown &shown, const Stored &stored,
                                    bool newFirmware)
{
    QList<QByteArray> commands;
    const auto &texts = portTexts();
    const int p = port.digit - '1';
    for (size_t t = 0; t < texts.size(); ++t)
        if (shown.texts[t] && *shown.texts[t] != stored(texts[t].key, QString()))
            commands << texts[t].setCommand[p] + shown.texts[t]->toLatin1();

    QByteArray pieces;
    const auto &choices = portChoices();
    for (size_t c = 0; c < choices.size(); ++c) {
        if ((choices[c].newFirmwareOnly && !newFirmware) || !shown.choices[c])
            continue;
        const char value = *shown.choices[c];
        if (QString(QLatin1Char(value)) != stored(choices[c].key, QString(QLatin1Char(choices[c].defaultValue))))
            pieces += QByteArray("$") + choices[c].letter + port.digit + '=' + value;
    }
    if (!pieces.isEmpty())
        commands << "AT" + pieces;
    return commands;
}

QList<QByteArray> commonWriteCommands(const CommonShown &shown, const Stored &stored, bool newFirmware)
{
    QList<QByteArray> commands;
    QByteArray resets;
    QByteArray pieces;
    bool changed = false;
    const auto &rows = commonSettings();
    for (size_t r = 0; r < rows.size(); ++r) {
        const CommonSetting &s = rows[r];
        if (s.newFirmwareOnly && !newFirmware)
            continue;
        // A key with no option selected shows nothing to send.
        if (!shown[r] || (s.kind == CommonKind::Key && shown[r]->isEmpty()))
            continue;
        if (*shown[r] == stored(s.key, s.defaultValue))
            continue;
        const QByteArray value = shown[r]->toLatin1();
        switch (s.kind) {
        case CommonKind::Choice:
        case CommonKind::Number:
            pieces += s.piece + value;
            changed = true;
            break;
        case CommonKind::Key:
            // The key is cleared to "none" first, so that its new value never
            // meets the other key's old one; "none" itself needs no piece.
            resets += s.piece + QByteArray("0");
            if (value != "0")
                pieces += s.piece + value;
            changed = true;
            break;
        case CommonKind::OwnNumberCommand:
            break;
        }
    }
    if (changed)
        commands << "AT" + resets + pieces;
    if (!newFirmware)
        return commands;
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].kind == CommonKind::OwnNumberCommand && shown[r] &&
            *shown[r] != stored(rows[r].key, rows[r].defaultValue))
            commands << rows[r].piece + shown[r]->toLatin1();
    return commands;
}

// ---------------------------------------------------------------------------
// Validation

std::optional<Problem> validate(const std::array<std::optional<QString>, kPortCount> &dialTimes,
                                const CommonShown &common, bool newFirmware)
{
    const NumberRange dial = dialTime().range;
    for (int p = 0; p < kPortCount; ++p) {
        if (dialTimes[p] && !inRange(*dialTimes[p], dial))
            return Problem{QString::fromLatin1(ports()[p].section) + QCoreApplication::translate("korvanta::TelephoneDialog", kDialTimeMessage),
             true};
    }
    const auto &rows = commonSettings();
    for (size_t r = 0; r < rows.size(); ++r) {
        const CommonSetting &s = rows[r];
        if (!s.rangeMessage || (s.newFirmwareOnly && !newFirmware))
            continue;
        if (r < common.size() && common[r] && !inRange(*common[r], s.range))
            return Problem{QCoreApplication::translate("korvanta::TelephoneDialog", s.rangeMessage), true};
    }
    // What the keys' rows show; nothing for a row the record lacks.
    const auto shownAt = [&common](const char *key) {
        const auto r = commonRow(key);
        return r && *r < common.size() ? common[*r].value_or(QString()) : QString();
    };
    const QString hold = shownAt(kHoldKey);
    const QString shortDial = shownAt(kShortDialKey);
    if (hold.size() == 1 && shortDial.size() == 1 && keysClash(hold[0].toLatin1(), shortDial[0].toLatin1()))
        return Problem{QCoreApplication::translate("korvanta::TelephoneDialog", kKeyClashMessage), false};
    return std::nullopt;
}

} // namespace korvanta::telephone
