// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ports/portnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <iterator>

namespace korvanta {

namespace {
struct AddressTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::PortAddress)
};

bool failed(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}
// The settings a port's own lines may give, as ports.conf writes them.
constexpr const char *kCa = "ca";
constexpr const char *kFingerprint = "fingerprint";
constexpr const char *kCert = "cert";
constexpr const char *kKey = "key";
constexpr const char *kDeadlineScale = "deadline-scale";
const char *const kSettingKeys[] = {kCa, kFingerprint, kCert, kKey, kDeadlineScale};

// A file named in ports.conf: "~/" is the home folder.
QString filePath(const QString &value)
{
    return value.startsWith(QLatin1String("~/")) ? QDir::home().filePath(value.mid(2)) : value;
}

} // namespace

bool setPortSetting(PortAddress::Settings &s, const QString &key, const QString &value, QString *why)
{
    if (key == QLatin1String(kDeadlineScale)) {
        bool ok = false;
        const double scale = value.toDouble(&ok);
        if (!ok || scale < 0.1 || scale > 100)
            return failed(why, AddressTexts::tr("deadline-scale「%1」は 0.1 から 100 の数ではありません。").arg(value));
        s.deadlineScale = scale;
    } else if (key == QLatin1String(kFingerprint)) {
        const auto normal = normalFingerprint(value);
        if (!normal)
            return failed(why, AddressTexts::tr("fingerprint「%1」は SHA-256 の指紋 (「SHA256:」と 32 バイトの 16 進) ではありません。").arg(value));
        s.fingerprint = *normal;
    } else if (value.isEmpty()) {
        return failed(why, AddressTexts::tr("%1 にファイルがありません。").arg(key));
    } else {
        (key == QLatin1String(kCa) ? s.caFile : key == QLatin1String(kCert) ? s.certFile : s.keyFile) = filePath(value);
    }
    return true;
}

std::optional<QString> normalFingerprint(const QString &text)
{
    QString hex = text.trimmed();
    if (hex.startsWith(QLatin1String("SHA256:"), Qt::CaseInsensitive))
        hex = hex.mid(7);
    hex.remove(u':');
    static const QRegularExpression sha256(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    if (!sha256.match(hex).hasMatch())
        return std::nullopt;
    hex = hex.toUpper();
    QStringList bytes;
    for (int i = 0; i < 64; i += 2)
        bytes << hex.mid(i, 2);
    return QStringLiteral("SHA256:") + bytes.join(u':');
}

QString PortNames::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/korvanta/ports.conf");
}

PortNames PortNames::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        PortNames none;
        if (file.exists())
            none.m_problems << QStringLiteral("%1: %2").arg(path, file.errorString());
        return none;
    }
    return parse(file.readAll(), path);
}

bool PortNames::validName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    static const QRegularExpression comPort(QStringLiteral("^COM[0-9]+$"), QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch() && !comPort.match(name).hasMatch();
}

PortNames PortNames::parse(const QByteArray &text, const QString &fileName)
{
    PortNames names;
    const QList<QByteArray> lines = text.split('\n');
    bool lastTaken = false; // the port line above was taken: its settings may follow
    for (int i = 0; i < lines.size(); ++i) {
        const QString raw = QString::fromUtf8(lines[i]).section(u'#', 0, 0);
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const auto problem = [&](const QString &why) {
            names.m_problems << QStringLiteral("%1:%2: %3").arg(fileName).arg(i + 1).arg(why);
        };
        const qsizetype eq = line.indexOf(u'=');
        const QString name = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        QString why;
        // An indented line with a setting's key belongs to the port above.
        const bool setting = raw.front().isSpace() && eq > 0
            && std::any_of(std::begin(kSettingKeys), std::end(kSettingKeys),
                           [&name](const char *key) { return name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0; });
        if (setting) {
            if (names.m_ports.isEmpty())
                problem(AddressTexts::tr("「%1」の前にポートの行がありません。").arg(name));
            else if (lastTaken && !setPortSetting(names.m_ports.last().settings, name.toLower(), value, &why))
                problem(why);
            continue;
        }
        lastTaken = false;
        if (eq < 0)
            problem(AddressTexts::tr("「名前 = アドレス」ではありません。"));
        else if (!names.acceptsName(name, &why))
            problem(why);
        else if (auto address = parseAddress(value, &why)) {
            address->name = name;
            names.m_ports << *address;
            lastTaken = true;
        } else
            problem(why);
    }
    return names;
}

bool PortNames::acceptsName(const QString &name, QString *why) const
{
    if (!validName(name))
        return failed(why, AddressTexts::tr("名前「%1」は使えません (英数字と「-」「_」「.」、COMn 以外)。").arg(name));
    if (find(name))
        return failed(why, AddressTexts::tr("名前「%1」はもう使われています。").arg(name));
    return true;
}

std::optional<PortAddress> PortNames::find(const QString &name) const
{
    for (const PortAddress &port : m_ports)
        if (port.name.compare(name, Qt::CaseInsensitive) == 0)
            return port;
    return std::nullopt;
}

bool PortNames::add(const QString &path, const QString &name, const PortAddress &address, QString *why)
{
    if (!acceptsName(name, why))
        return false;
    QFile old(path);
    QByteArray text;
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return failed(why, QStringLiteral("%1: %2").arg(path, old.errorString()));
        text = old.readAll();
    }
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    text += (name + QStringLiteral(" = ") + address.text()).toUtf8() + '\n';
    const PortAddress::Settings &s = address.settings;
    const auto line = [&text](const char *key, const QString &value) {
        if (!value.isEmpty())
            text += "    " + QByteArray(key) + " = " + value.toUtf8() + '\n';
    };
    line(kCa, s.caFile);
    line(kFingerprint, s.fingerprint);
    line(kCert, s.certFile);
    line(kKey, s.keyFile);
    line(kDeadlineScale, s.deadlineScale == 1.0 ? QString() : QString::number(s.deadlineScale));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush() || !file.commit())
        return failed(why, QStringLiteral("%1: %2").arg(path, file.errorString()));
    PortAddress named = address;
    named.name = name;
    m_ports << named;
    return true;
}

} // namespace korvanta
