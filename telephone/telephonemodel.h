// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The telephone port settings without widgets: the tables of the per-port
// settings of TEL1 to TEL3 and of the settings common to them, how the
// adapter's replies are read and how the set commands are put together. The
// dialog's layout, its reading and writing and the tests all work from these
// tables; TEL1 to TEL3 are one set of rows with a column per port.

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace korvanta::telephone {

inline constexpr int kPortCount = 3;
inline constexpr const char *kWindowTitle =
    QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "アナログポート設定");

// ---------------------------------------------------------------------------
// Ports

struct Port {
    char digit;               // '1'..'3': the digit of tokens and pieces
    const char *section;      // work-file section
    const char *tabCaption;
    int helpContext;
    const char *statusQuery;  // port listing
    const char *detailButton; // opens the number display detail
    const char *detailCaption;
    const char *numberFrame;  // "番号登録"
    const char *noteLabel;    // the note in the "アナログ着信" frame
    const char *networkOption; // "網契約に従う": only with newer firmware
};
std::span<const Port> ports();

inline constexpr const char *kCommonSection = "TEL";
inline constexpr const char *kCommonTabCaption = QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "共通");
inline constexpr int kCommonHelpContext = 9;
inline constexpr const char *kNumberFrameCaption =
    QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "番号登録");
inline constexpr const char *kNote =
    QT_TRANSLATE_NOOP("korvanta::TelephoneDialog",
                      "注意）ﾅﾝﾊﾞｰﾃﾞｨｽﾌﾟﾚｲ使用       設定時に遅延着信を       選択すると正常に動       作しない場合があり       ます。"
                      "                    優先／先行着信で        ご使用下さい。");

// ---------------------------------------------------------------------------
// Per-port choice settings

struct ChoiceValue {
    char value;
    const char *caption;
    std::array<const char *, kPortCount> control; // TEL1, TEL2, TEL3
    bool newFirmwareOnly = false;
};

// One choice of a port: a group of option buttons, or (checkBoxes) the two
// announcement boxes whose value is 2 x first + second.
struct PortChoice {
    const char *key;
    char letter;              // token letter and set piece letter
    const char *frameCaption;
    std::array<const char *, kPortCount> frame;
    char defaultValue;        // assumed by the writing when the key is missing
    std::vector<ChoiceValue> values; // in the order of the controls
    bool inStatus = true;     // reported by the port listing; otherwise by its own query
    bool newFirmwareOnly = false;
    bool checkBoxes = false;
    std::array<const char *, kPortCount> query{}; // own query when not in the listing
    // How the reply to the own query reads; by default "00v" with v one of
    // the values, and a reply no value stands for leaves the key as it was.
    std::optional<char> (*fromReply)(const QByteArray &digits) = nullptr;
};
// In the order the writing appends them.
const std::vector<PortChoice> &portChoices();

// The value the controls of a choice show, given which of them are checked
// (in the order of values); none for a group of options with none selected,
// which has nothing to send.
std::optional<char> shownChoice(const PortChoice &choice, const std::vector<bool> &checked);
// Whether a value is one the choice knows.
bool accepts(const PortChoice &choice, char value);
// Whether a text is one of the choice's values.
bool accepts(const PortChoice &choice, const QString &value);
// Which controls show a value (in the order of values).
std::vector<bool> checkedFor(const PortChoice &choice, char value);

// ---------------------------------------------------------------------------
// Number boxes with a spin, and per-port text settings

struct NumberRange {
    int min;
    int max;
};

// The box's number as the dialog reads it: its leading digits, 0 when none.
int boxNumber(const QString &text);
// One spin step: direction +1 is the upper arrow, -1 the lower; leaving the
// range wraps to its other end. Returns the box's new text.
QString spinStep(const QString &text, int direction, NumberRange range);

struct PortText {
    const char *key;
    const char *caption;
    const char *frameCaption;
    std::array<const char *, kPortCount> frame;
    std::array<const char *, kPortCount> box;
    std::array<const char *, kPortCount> label;
    std::array<const char *, kPortCount> setCommand; // "AT$C1=": the text follows
    QString charset;
    int maxLength;
    // Dial time only: its query, spin, unit and range.
    std::array<const char *, kPortCount> query{};
    std::array<const char *, kPortCount> spin{};
    std::array<const char *, kPortCount> unitLabel{};
    const char *unitCaption = nullptr;
    NumberRange range{};
    bool fromStatus() const { return query[0] == nullptr; }
};
// Own number, subaddress, forwarding number, dial time: the order of writing.
const std::vector<PortText> &portTexts();
inline constexpr const char *kOwnNumberKey = "JIKO_NO";
inline constexpr const char *kSubaddressKey = "SUB_NO";
inline constexpr const char *kForwardingKey = "TRA_NO";
inline constexpr const char *kDialTimeKey = "HASHIN";
// The row of a key; none when the table lacks it.
const PortText *portText(const char *key);
const PortText &dialTime();
// Whether a text is one the box takes: its characters and length, and for
// the dial time its range.
bool accepts(const PortText &text, const QString &value);

inline constexpr const char *kDialTimeMessage =
    QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "発信時間設定は03～15(秒)まで可能です");

// ---------------------------------------------------------------------------
// Common settings (section "TEL")

enum class CommonKind {
    Choice, // option buttons; "$I20=v"-like pieces in the common command
    Key,    // hold or short-dial key: as Choice, value 0 has no piece and a
            // change puts the key's reset piece in front of the command
    Number, // a box with a spin; a piece of the common command
    OwnNumberCommand, // a box with a spin, sent as a command of its own
};

struct CommonSetting {
    const char *key;
    const char *frame;
    const char *frameCaption;
    const char *query;
    CommonKind kind;
    const char *piece;         // "@I", "$I20=", "AT$I29=": the value follows
    const char *defaultValue;
    bool newFirmwareOnly = false;
    // Choice and Key
    std::vector<ChoiceValue> values{}; // control[0] names the control
    bool clearsOnRead = false;   // a reply deselects every option first
    // Number and OwnNumberCommand
    const char *box = nullptr;
    const char *spin = nullptr;
    const char *unitLabel = nullptr;
    const char *unitCaption = nullptr;
    bool unitCounts = false; // the unit's caption follows the number ("1 ring", "4 rings")
    int maxLength = 0;
    NumberRange range{};
    const char *rangeMessage = nullptr;
    bool isChoice() const { return kind == CommonKind::Choice || kind == CommonKind::Key; }
};
// In the order of reading and writing.
const std::vector<CommonSetting> &commonSettings();
inline constexpr const char *kHoldKey = "GAISEN";
inline constexpr const char *kShortDialKey = "TANSYUKU";
// The row of a key in commonSettings(); none when the table lacks it.
std::optional<size_t> commonRow(const char *key);
const CommonSetting &holdKey();
const CommonSetting &shortDialKey();
// Whether a text is one the setting can show: one of its options, or the
// digits, length and range of its box.
bool accepts(const CommonSetting &setting, const QString &value);

// Whether a hold key and a short-dial key are the same key: they may not be,
// unless both are "なし".
bool keysClash(char hold, char shortDial);
inline constexpr const char *kKeyClashMessage =
    QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "外線保留キーと短縮ダイヤルキーが重複しています");

// ---------------------------------------------------------------------------
// Reading

// What a port listing said. Empty when there is no ":" after the echo:
// nothing was read. complete false when the forwarding line's ":" is
// missing: the own number and subaddress before it were read, nothing after.
struct PortStatus {
    bool complete = false;
    QByteArray ownNumber;
    QByteArray subaddress;
    QByteArray forwarding;
    // Recognised tokens in the order of the line: index into portChoices(), value.
    std::vector<std::pair<int, char>> tokens;
    std::optional<int> numberDisplay; // the last "D" token
};
std::optional<PortStatus> parsePortStatus(const QByteArray &answer, const Port &port);

// The three characters of a numeric reply, found as the first "0" after the
// echo of command; empty when there is none (a failed reading).
std::optional<QByteArray> replyDigits(const QByteArray &answer, const QByteArray &command);
// The choice value a reply's three characters stand for: "00v" with v one of
// the setting's values; empty for anything else.
std::optional<char> replyChoice(const QByteArray &digits, const std::vector<ChoiceValue> &values);
// The ring pattern a reply stands for: 0, 1, and 2 for any other number.
char ringPattern(const QByteArray &digits);
std::optional<char> ringPatternReply(const QByteArray &digits);

// ---------------------------------------------------------------------------
// Writing

// The stored value of a key of the section being written, or fallback.
using Stored = std::function<QString(const QString &key, const QString &fallback)>;

// What the controls show; an empty optional shows nothing to send.
struct PortShown {
    std::vector<std::optional<char>> choices;  // per portChoices() row
    std::vector<std::optional<QString>> texts; // per portTexts() row
};
// The commands that bring the adapter to what the port's controls show, in
// the order they are sent.
QList<QByteArray> portWriteCommands(const Port &port, const PortShown &shown, const Stored &stored,
                                    bool newFirmware);

// Per commonSettings() row: the choice's value digit (empty when no option
// is selected), or the box text; an empty optional shows nothing to send.
using CommonShown = std::vector<std::optional<QString>>;
QList<QByteArray> commonWriteCommands(const CommonShown &shown, const Stored &stored, bool newFirmware);

// ---------------------------------------------------------------------------
// Validation before writing

struct Problem {
    QString message;
    bool exclamation; // range warnings; the key clash is information
};
// dialTimes: the dial-time box of each port; common as for writing. What
// shows nothing to send is not checked.
std::optional<Problem> validate(const std::array<std::optional<QString>, kPortCount> &dialTimes,
                                const CommonShown &common, bool newFirmware);

} // namespace korvanta::telephone
