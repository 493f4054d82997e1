// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/manualpage.h"

#include "profile/profilefile.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace korvanta::profile {

namespace {

bool wide(QChar c)
{
    return (c >= u'\u3000' && c <= u'\u9fff') || (c >= u'\uff00' && c <= u'\uffef');
}

// Text as roff takes it: backslashes and hyphens escaped, nothing that a
// line could start a request with, and a Japanese line free to break between
// its characters, as it has no blanks to break at: after any wide character
// but not before a mark that closes (、。」) nor after one that opens (「).
// Not so where breaks are not wanted: the NAME line, which whatis and
// apropos read as it is written.
QString roff(QString text, bool breaks = true)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\e")).replace(QLatin1Char('-'), QStringLiteral("\\-"));
    static const QString closing = QString::fromUtf8("、。，．」』）〕］｝〉》】・ー々ぁぃぅぇぉっゃゅょァィゥェォッャュョ),.:;");
    static const QString opening = QString::fromUtf8("「『（〔［｛〈《【(");
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        out += text[i];
        const bool next = i + 1 < text.size();
        if (breaks && next && wide(text[i]) && !opening.contains(text[i]) && !closing.contains(text[i + 1])
            && text[i + 1] != u' ')
            out += QStringLiteral("\\:");
    }
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

// The page's own words: written in Japanese, as the window program's are, and
// in English through the programs' translations for the English page.
struct ManualPage {
    Q_DECLARE_TR_FUNCTIONS(korvanta::profile::ManualPage)
};

QString newerFirmware(bool only)
{
    return only ? ManualPage::tr(" (新しいファームウェア)") : QString();
}

QString characters(const SettingDomain::Text &t)
{
    return t.maxLength == 1 ? ManualPage::tr("「%1」の文字一つ").arg(t.characters)
                            : ManualPage::tr("「%2」の文字で %1 文字まで").arg(t.maxLength).arg(t.characters);
}

// "0 通知しない, 1 契約者番号を通知, ..." or "3 to 15 秒, at most 2 characters of ..."
QString valuesOf(const SettingDomain &d)
{
    QStringList parts;
    if (!d.options.empty()) {
        std::vector<SettingDomain::Option> options = d.options;
        std::stable_sort(options.begin(), options.end(), [](const auto &a, const auto &b) { return a.value < b.value; });
        QStringList told;
        for (const SettingDomain::Option &o : options)
            told << o.value + QLatin1Char(' ') + o.meaning + newerFirmware(o.newFirmwareOnly);
        parts << told.join(QStringLiteral(", "));
    }
    const bool number = d.max >= d.min;
    if (number)
        parts << ManualPage::tr("%1～%2%3").arg(d.min).arg(d.max).arg(d.unit.isEmpty() || d.scale != 1 ? QString() : QLatin1Char(' ') + d.unit);
    if (number && !d.text.empty())
        parts << (d.text.front().maxLength == 1 ? ManualPage::tr("1 桁")
                                                : ManualPage::tr("%1 桁まで").arg(d.text.front().maxLength));
    else if (d.text.size() == 1)
        parts << ManualPage::tr("%1、または空").arg(characters(d.text.front()));
    else if (d.text.size() == 2)
        parts << ManualPage::tr("番号 (%1)、サブアドレスがあるときは続けて「*」とサブアドレス (%2)。または空")
                     .arg(characters(d.text[0]), characters(d.text[1]));
    if (!d.note.isEmpty())
        parts << d.note;
    return parts.join(QStringLiteral("; "));
}

QString bold(const char *text)
{
    return QStringLiteral("\\fB%1\\fR").arg(roff(QString::fromUtf8(text)));
}

// A main window menu entry as the windows show it, without its accelerator.
QString menuEntry(const char *entry)
{
    QString shown = QCoreApplication::translate("korvanta::MainWindow", entry);
    return shown.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(u'&');
}

const char *const kExample = R"(.SH %1
.EX
; KORVAN-TA settings profile
[PROFILE]
MODEL=KORVAN-TA
FIRMWARE=Ver 1.30 01/03/15

[TEL1]
JIKO_NO=0312345678
SUB_NO=
TRA_NO=
ONSEI=0
\&...
.EE
.SH %2
.BR korvanta\-cli (1),
.BR korvanta (1),
.BR korvanta\-sim (1),
.BR korvanta\-ports.conf (5)
)";

} // namespace

QByteArray manualPage(std::span<const SettingKey> keys, std::span<const SettingRule> rules)
{
    QString page = QStringLiteral(".TH KORVANTA-PROFILE 5 \"2026\" \"korvanta " KORVANTA_VERSION "\" \"%1\"\n"
                                  ".\\\" Written by the build from the settings' tables (profile/manualpage.cpp): do "
                                  "not edit.\n.ad l\n.nh\n")
                       .arg(ManualPage::tr("ファイル形式"));
    const auto section = [&page](const QString &title) { page += QStringLiteral(".SH %1\n").arg(title); };
    const auto paragraph = [&page](const QString &text) { page += text + QLatin1Char('\n'); };
    section(ManualPage::tr("名前"));
    paragraph(QStringLiteral("korvanta-profile \\- ") + roff(ManualPage::tr("KORVAN-TA ISDN ターミナルアダプターの設定プロファイル"), false));
    section(ManualPage::tr("説明"));
    paragraph(roff(ManualPage::tr("プロファイルは、一台の機器のすべての設定を、作業ファイル mail.ini と同じセクションとキーで、"
                                  "一つのテキストファイルに収めたものです。%1 とウィンドウ プログラムの「%2」がこれを書き出し、"
                                  "%3 と「%4」が、異なる設定だけを送って機器をこれに合わせます。同じ設定からはいつも同じバイト列が"
                                  "できます: ファイルには日時がなく、セクションとキーは下の順に並ぶので、プロファイルどうしを比べ"
                                  "やすく、版管理にも置けます。"))
                  .arg(bold("korvanta-cli backup"), roff(menuEntry("設定の保存(&S)...")), bold("korvanta-cli restore"),
                       roff(menuEntry("設定の復元(&R)..."))));
    page += QStringLiteral(".PP\n");
    paragraph(roff(ManualPage::tr("ファイルは UTF-8 のテキストです。行は「[SECTION]」、「KEY=value」、空行、または「;」か「#」で"
                                  "始まるコメントです。名前は大文字と小文字を区別せずに比べ、読むときは設定がどの順に並んでいても"
                                  "かまいません。値は「=」より後のすべてで、空白も含みます。下のキーはすべて必要ですが、%1 と"
                                  "記したものは別です: ファームウェア 1.20 以前の機器にはそれらがなく、そのような機器への復元は"
                                  "それらと、そう記した値を飛ばし、それぞれを名指しします。未知のセクションやキー、二度書かれた"
                                  "キー、設定の選択肢・範囲・文字から外れた値、または改行のない最終行があるプロファイルは、その行と"
                                  "キーを示して拒否し、何も送りません。")
                       .arg(newerFirmware(true).trimmed())));
    page += QStringLiteral(".PP\n");
    paragraph(roff(ManualPage::tr("部分プロファイルは、設定のいくつかだけを収めます。%1 と %2 はこれを受け取り、名指しした設定"
                                  "だけを機器と比べて送り、ほかは機器のままにします。[PROFILE] の機種と版数は省けますが、書けば"
                                  "確かめます。%3 が変更の前に残す控えは、読んだ設定だけの部分プロファイルです (一行目にそう"
                                  "記します)。%4 は、%5 なしでは全体のプロファイルだけを受け取ります。"))
                  .arg(bold("korvanta-cli restore --merge"), bold("diff --merge"), bold("korvanta-cli set"),
                       bold("korvanta-cli restore"), bold("--merge")));
    page += QStringLiteral(".PP\n");
    paragraph(roff(ManualPage::tr("下の各キーには、ウィンドウ プログラムが表示するとおりのウィンドウ、タブ、枠と、"
                                  "取りうる値とそれぞれの意味を記します。")));
    section(ManualPage::tr("セクションとキー"));
    page += QStringLiteral(".SS [%1]\n").arg(QLatin1String(kSection));
    page += QStringLiteral(".TP\n.B MODEL\n") + roff(ManualPage::tr("機器の機種名。「ATI」への答えのとおりです: KORVAN-TA。"))
            + QLatin1Char('\n');
    page += QStringLiteral(".TP\n.B FIRMWARE\n")
            + roff(ManualPage::tr("プロファイルを読み取った機器のファームウェア。「AT%I2」への答えのとおりです"
                                  " (「Ver 1.30 01/03/15」)。人が読むためだけのもので、復元は書き込む先の機器の"
                                  "ファームウェアに従います。"))
            + QLatin1Char('\n');
    for (const auto &[name, settings] : sections(keys)) {
        if (name == QLatin1String(kSection))
            continue;
        page += QStringLiteral(".SS [%1]\n").arg(name);
        for (const SettingKey *k : settings) {
            page += QStringLiteral(".TP\n.B %1\n").arg(roff(k->key + newerFirmware(k->newFirmwareOnly)));
            page += roff(k->caption) + QStringLiteral("\n.br\n") + roff(valuesOf(k->domain)) + QLatin1Char('\n');
        }
    }
    section(ManualPage::tr("設定をまたぐ規則"));
    paragraph(roff(ManualPage::tr("復元は、何かを送る前にこれらを確かめます: まず、機器を読む前にプロファイルだけで "
                                  "(korvanta-cli ではポートを開く前に。機種は機器が名乗ってから)、次に、機器がそのほかに持つ設定 "
                                  "(ファームウェアにない設定) にプロファイルを重ねたもので。どれかに反するプロファイルは、その行、"
                                  "キー、ここに示すメッセージとともに拒否し、何も送りません (korvanta-cli の終了ステータスは 2)。")));
    const auto rule = [&page](const QStringList &keys, const QString &statement, const QString &message) {
        QStringList named;
        for (const QString &key : keys)
            named << QStringLiteral("[%1] %2").arg(key.section(QLatin1Char('/'), 0, 0), key.section(QLatin1Char('/'), 1));
        page += QStringLiteral(".TP\n.B %1\n%2\n").arg(roff(named.join(QStringLiteral(", "))), roff(statement));
        if (!message.isEmpty())
            page += QStringLiteral(".br\n\"%1\"\n").arg(roff(message));
    };
    rule({QLatin1String(kSection) + QStringLiteral("/MODEL")}, modelRule(), {});
    for (const SettingRule &r : rules)
        rule(r.keys, r.statement, r.message);
    page += QStringLiteral(".PP\n");
    paragraph(roff(ManualPage::tr("互いに妨げ合う設定は、復元が一度で届く順に送ります: TEL3 から TEL2 へ移すナンバー・ディスプレイは、"
                                  "TEL2 で使用にする前に TEL3 で使用しないにし、入れ替わる外線保留キーと短縮ダイヤルキーは、"
                                  "どちらかを設定する前に両方を解除します。")));
    page += QString::fromUtf8(kExample).arg(ManualPage::tr("例"), ManualPage::tr("関連項目"));
    return page.toUtf8();
}

} // namespace korvanta::profile
