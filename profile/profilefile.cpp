// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/profilefile.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace korvanta::profile {

namespace {

const QString kModelKey = QStringLiteral("MODEL");
const QString kFirmwareKey = QStringLiteral("FIRMWARE");

QString upper(const QString &s) { return s.toUpper(); }

// A value goes into the file as it is; one with a line break could not come
// back the same, and no setting accepts one.
bool writable(const QString &value)
{
    return !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r'));
}

} // namespace

QString acceptedValues(const SettingKey &setting)
{
    const auto &accepts = setting.accepts;
    if (!accepts)
        return {};
    if (!accepts(QString())) {
        // A number or a choice: the values its check takes.
        QList<int> values;
        for (int v = 0; v < 1000; ++v)
            if (accepts(QString::number(v)))
                values << v;
        if (values.isEmpty())
            return {};
        if (values.size() > 2 && values.last() - values.first() + 1 == values.size())
            return Texts::tr("%1～%2 の範囲").arg(values.first()).arg(values.last());
        QStringList listed;
        for (const int v : values)
            listed << QString::number(v);
        return Texts::tr("%1 のどれか").arg(listed.join(QStringLiteral(", ")));
    }
    // A box of text: the characters it takes, and how many.
    QStringList characters;
    QString digits;
    for (char16_t c = 0x21; c < 0x7f; ++c) {
        if (!accepts(QString(QChar(c))))
            continue;
        if (c >= u'0' && c <= u'9')
            digits += QChar(c);
        else
            characters << QString(QChar(c));
    }
    if (digits == QLatin1String("0123456789"))
        characters.prepend(QStringLiteral("0-9"));
    else if (!digits.isEmpty())
        characters.prepend(digits);
    int longest = 0;
    if (!characters.isEmpty())
        for (int n = 1; n <= 300; ++n)
            if (accepts(QString(n, characters.first().front())))
                longest = n;
    return Texts::tr("使える文字は %1 で %n 文字まで", nullptr, longest).arg(characters.join(u' '));
}

QString ParseError::describe(const QString &fileName) const
{
    QString where = fileName;
    if (line > 0)
        where += QLatin1Char(':') + QString::number(line);
    if (!key.isEmpty())
        where += QStringLiteral(": ") + key;
    return where + QStringLiteral(": ") + message;
}

const SettingKey *findKey(std::span<const SettingKey> keys, const QString &section, const QString &key)
{
    for (const SettingKey &k : keys)
        if (sameSettingName(k.section, k.key, section, key))
            return &k;
    return nullptr;
}

std::variant<Profile, ParseError> parse(const QByteArray &whole, std::span<const SettingKey> keys, Reading reading)
{
    Profile profile;
    SettingValues read;
    QSet<QString> seen;
    QString section;
    bool profileSection = false;
    bool modelSeen = false;
    bool firmwareSeen = false;
    QSet<QString> sections;
    for (const SettingKey &k : keys)
        sections.insert(upper(k.section));

    // A byte-order mark, as some editors write at the start of UTF-8.
    const QByteArray text = whole.startsWith("\xEF\xBB\xBF") ? whole.mid(3) : whole;
    // UTF-16 (its byte-order mark, or the NUL of every other byte) and
    // other binary files are no text.
    if (text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF"))
        return ParseError{0, {}, Texts::tr("UTF-16 のテキストです (設定ファイルは UTF-8 で書きます)")};
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        return ParseError{int(text.left(nul).count('\n')) + 1, {},
                          Texts::tr("テキストファイルではありません (NUL バイトがあります)")};
    if (text.trimmed().isEmpty())
        return ParseError{0, {}, Texts::tr("空です (設定がひとつもありません)")};
    if (!text.endsWith('\n')) {
        const int lines = int(text.count('\n')) + 1;
        return ParseError{lines, {}, Texts::tr("ファイルが途中で切れています (最後の行に改行がありません)")};
    }
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const int lineNo = i + 1;
        QByteArray raw = lines[i];
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QString line = QString::fromUtf8(raw);
        if (line.toUtf8() != raw)
            return ParseError{lineNo, {}, Texts::tr("UTF-8 でない文字があります")};
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']')) || trimmed.size() < 3)
                return ParseError{lineNo, {}, Texts::tr("セクションの行が正しくありません: ") + quotedValue(trimmed)};
            section = trimmed.mid(1, trimmed.size() - 2).trimmed();
            profileSection = section.compare(QLatin1String(kSection), Qt::CaseInsensitive) == 0;
            if (!profileSection && !sections.contains(upper(section)))
                return ParseError{lineNo, quotedValue(section), Texts::tr("知らないセクションです")};
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return ParseError{lineNo, {}, Texts::tr("\"キー=値\" の行ではありません: ") + quotedValue(trimmed)};
        if (section.isEmpty())
            return ParseError{lineNo, {}, Texts::tr("セクションの前に設定があります")};
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        const QString name = section + QLatin1Char('/') + key;
        if (seen.contains(upper(name)))
            return ParseError{lineNo, quotedValue(name), Texts::tr("二度目の設定です")};
        seen.insert(upper(name));
        if (profileSection) {
            profile.lines.insert(upper(name), lineNo);
            if (key.compare(kModelKey, Qt::CaseInsensitive) == 0) {
                profile.model = value;
                modelSeen = true;
            } else if (key.compare(kFirmwareKey, Qt::CaseInsensitive) == 0) {
                profile.firmware = value;
                firmwareSeen = true;
            } else {
                return ParseError{lineNo, quotedValue(name), Texts::tr("知らないキーです")};
            }
            continue;
        }
        const SettingKey *setting = findKey(keys, section, key);
        if (!setting)
            return ParseError{lineNo, quotedValue(name), Texts::tr("知らないキーです")};
        if (!setting->accepts || !setting->accepts(value))
        {
            const QString accepted = acceptedValues(*setting);
            return ParseError{lineNo, name,
                              Texts::tr("「%1」の値として使えません: \"%2\"").arg(setting->caption, quotedValue(value))
                                  + (accepted.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(accepted))};
        }
        // A number as the adapter and the windows keep it: "080" is 80, and
        // a restore that sent "080" would read "80" back as a difference.
        const bool number = setting->domain.max >= setting->domain.min;
        read.set(setting->section, setting->key, number ? QString::number(value.toInt()) : value);
        profile.lines.insert(upper(name), lineNo);
    }
    const bool merge = reading == Reading::Merge;
    profile.partial = merge;
    if (!merge && (!modelSeen || !firmwareSeen))
        return ParseError{0, QLatin1String(kSection) + (modelSeen ? QStringLiteral("/FIRMWARE") : QStringLiteral("/MODEL")),
                          Texts::tr("機種と版数がありません")};
    // In the table's order; every setting that every firmware has must be
    // there, or the file was cut short.
    for (const SettingKey &k : keys) {
        if (const auto value = read.get(k.section, k.key))
            profile.values.set(k.section, k.key, *value);
        else if (!k.newFirmwareOnly && !merge)
            return ParseError{0, k.section + QLatin1Char('/') + k.key,
                              Texts::tr("「%1」がありません (ファイルが途中で切れていませんか)").arg(k.caption)};
    }
    return profile;
}

QByteArray write(const Profile &profile, std::span<const SettingKey> keys)
{
    QByteArray out = profile.partial ? "; KORVAN-TA settings profile, partial: korvanta-cli restore --merge takes it back\n"
                                     : "; KORVAN-TA settings profile\n";
    out += '[' + QByteArray(kSection) + "]\n";
    if (!profile.partial || !profile.model.isEmpty())
        out += kModelKey.toUtf8() + '=' + profile.model.toUtf8() + '\n';
    if (!profile.partial || !profile.firmware.isEmpty())
        out += kFirmwareKey.toUtf8() + '=' + profile.firmware.toUtf8() + '\n';
    for (const auto &[section, settings] : sections(keys)) {
        QByteArray body;
        for (const SettingKey *k : settings) {
            const auto value = profile.values.get(k->section, k->key);
            if (value && writable(*value))
                body += k->key.toUtf8() + '=' + value->toUtf8() + '\n';
        }
        if (!body.isEmpty())
            out += "\n[" + section.toUtf8() + "]\n" + body;
    }
    return out;
}

QString unrestorable(const Profile &profile, std::span<const SettingKey> keys)
{
    for (const SettingKey &k : keys) {
        const auto value = profile.values.get(k.section, k.key);
        if (value && !(k.accepts && k.accepts(*value)))
            return refusedReply(k, *value);
        if (!value && !k.newFirmwareOnly && !profile.partial)
            return Texts::tr("%1 [%2] %3: 機器の応答にこの設定の値がありません").arg(k.caption, k.section, k.key);
    }
    const auto reread = parse(write(profile, keys), keys, profile.partial ? Reading::Merge : Reading::Whole);
    if (const auto *error = std::get_if<ParseError>(&reread))
        return error->describe(Texts::tr("機器から読んだ設定"));
    // Compared setting by setting: a profile of an adapter need not hold its
    // settings in the table's order.
    const Profile &back = std::get<Profile>(reread);
    if (back.model != profile.model || back.firmware != profile.firmware
        || !compare(back.values, profile.values, keys).isEmpty())
        return Texts::tr("機器から読んだ設定が、書いたファイルから同じに読み戻せません");
    return {};
}

QList<std::pair<QString, std::vector<const SettingKey *>>> sections(std::span<const SettingKey> keys)
{
    QList<std::pair<QString, std::vector<const SettingKey *>>> out;
    for (const SettingKey &k : keys) {
        auto it = std::find_if(out.begin(), out.end(), [&k](const auto &s) {
            return s.first.compare(k.section, Qt::CaseInsensitive) == 0;
        });
        if (it == out.end())
            it = out.insert(out.end(), {k.section, {}});
        it->second.push_back(&k);
    }
    return out;
}

std::optional<ParseError> brokenRule(const Profile &profile, const SettingValues &values)
{
    for (const SettingRule &rule : settingRules()) {
        if (rule.holds(values))
            continue;
        int line = 0;
        for (const QString &key : rule.keys)
            line = std::max(line, profile.lineOf(key));
        return ParseError{line, rule.keys.join(QStringLiteral(", ")), rule.message};
    }
    return std::nullopt;
}

QString modelRule()
{
    return Texts::tr("[%1] %2 は、機器が問い合わせ (ATI) に答える機種名です: プロファイルは、読み取ったのと同じ機種にだけ"
                     "復元します。")
        .arg(QLatin1String(kSection), kModelKey);
}

QList<Difference> compare(const SettingValues &a, const SettingValues &b, std::span<const SettingKey> keys,
                          bool onlyRight)
{
    QList<Difference> out;
    for (const SettingKey &k : keys) {
        const auto left = a.get(k.section, k.key);
        const auto right = b.get(k.section, k.key);
        if (onlyRight && !right)
            continue;
        if (left != right)
            out.push_back({&k, left, right});
    }
    return out;
}

namespace {

// Full-width and half-width forms as one: "６０秒" is "60秒", "ｵﾌ" is "オフ".
QString folded(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC);
}

bool sameWord(const QString &typed, const QStringList &words)
{
    return std::any_of(words.begin(), words.end(), [typed = folded(typed)](const QString &w) {
        return typed.compare(folded(w), Qt::CaseInsensitive) == 0;
    });
}

bool allDigits(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<QString> ifAccepted(const SettingKey &setting, const QString &value)
{
    return setting.accepts && setting.accepts(value) ? std::optional<QString>(value) : std::nullopt;
}

// A sum of bits as their names, or the window's word for none; empty when a
// bit of the value has no name.
QString bitNames(const SettingDomain &domain, int sum)
{
    QStringList names;
    for (const SettingDomain::Bit &b : domain.bits)
        if (sum & b.value) {
            names << b.name;
            sum &= ~b.value;
        }
    if (sum)
        return {};
    return names.isEmpty() ? domain.none : names.join(QStringLiteral(" + "));
}

// Bit names joined by "+" or ",", or the word for none.
std::optional<int> bitSum(const SettingDomain &domain, const QString &typed)
{
    if (sameWord(typed, domain.noneWords + QStringList{domain.none}))
        return 0;
    int sum = 0;
    static const QRegularExpression kJoin(QStringLiteral("[+,＋、]"));
    for (const QString &part : typed.split(kJoin)) {
        const auto bit = std::find_if(domain.bits.begin(), domain.bits.end(), [&part](const SettingDomain::Bit &b) {
            return sameWord(part.trimmed(), b.words + QStringList{b.name});
        });
        if (bit == domain.bits.end())
            return std::nullopt;
        sum |= bit->value;
    }
    return sum;
}

} // namespace

QString meaning(const SettingKey &setting, const std::optional<QString> &value)
{
    if (!value)
        return {};
    const SettingDomain &domain = setting.domain;
    for (const SettingDomain::Option &o : domain.options)
        if (o.value == *value)
            return o.meaning;
    // A number too long for any box (a reply the adapter garbled) is shown
    // as it is, never as some other number.
    if (!allDigits(*value) || value->size() > 9 || domain.max < domain.min)
        return *value;
    if (!domain.bits.empty()) {
        const QString names = bitNames(domain, value->toInt());
        return names.isEmpty() ? *value : names;
    }
    const QString shown = domain.scale == 1 ? *value : QString::number(value->toLongLong() * domain.scale);
    const QString &unit = shown == QLatin1String("1") && !domain.unitOfOne.isEmpty() ? domain.unitOfOne : domain.unit;
    return unit.isEmpty() ? shown : shown + u' ' + unit;
}

QString unitOf(const SettingKey &setting)
{
    return setting.domain.max >= setting.domain.min && setting.domain.bits.empty() ? setting.domain.unit : QString();
}

std::optional<QString> valueFromText(const SettingKey &setting, const QString &text)
{
    const SettingDomain &domain = setting.domain;
    const QString typed = text.trimmed();
    const bool number = domain.max >= domain.min;
    if (!domain.options.empty() || !domain.bits.empty()) {
        // The value itself, an option's caption, or the names of bits.
        if (const auto raw = ifAccepted(setting, typed))
            return raw;
        for (const SettingDomain::Option &o : domain.options)
            if (sameWord(typed, o.words + QStringList{o.meaning}))
                return ifAccepted(setting, o.value);
        if (domain.bits.empty())
            return std::nullopt;
        const auto sum = bitSum(domain, typed);
        return sum ? ifAccepted(setting, QString::number(*sum)) : std::nullopt;
    }
    if (number) {
        // The value as kept, or with its unit a number in the window's scale.
        QString digits = folded(typed);
        bool withUnit = false;
        for (const QString &unit : domain.unitWords + QStringList{domain.unit})
            if (!unit.isEmpty() && digits.endsWith(folded(unit), Qt::CaseInsensitive)) {
                digits = digits.chopped(folded(unit).size()).trimmed();
                withUnit = true;
                break;
            }
        if (!allDigits(digits) || digits.size() > 9) // no box takes more
            return std::nullopt;
        const int given = digits.toInt();
        const int scale = withUnit ? domain.scale : 1;
        if (given % scale != 0)
            return std::nullopt;
        return ifAccepted(setting, QString::number(given / scale));
    }
    if (const auto asTyped = ifAccepted(setting, text))
        return asTyped;
    return ifAccepted(setting, typed);
}

QString describe(const Difference &d)
{
    const auto quoted = [&d](const std::optional<QString> &v) {
        if (!v)
            return Texts::tr("(なし)");
        const QString meant = meaning(*d.setting, v);
        return meant != *v ? QStringLiteral("%1 (%2)").arg(meant, *v) : QLatin1Char('"') + *v + QLatin1Char('"');
    };
    return QStringLiteral("%1 [%2] %3: %4 → %5")
        .arg(d.setting->caption, d.setting->section, d.setting->key, quoted(d.left), quoted(d.right));
}

} // namespace korvanta::profile
