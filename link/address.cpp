// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/address.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace korvanta {

namespace {
struct AddressTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::PortAddress)
};

const QString kRfc2217 = QStringLiteral("rfc2217");
const QString kTcp = QStringLiteral("tcp");
const QString kSchemeEnd = QStringLiteral("://");

bool failed(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

// "HOST:PORT" or "[IPV6]:PORT" into the address; false with why.
bool readHostPort(const QString &rest, const QString &whole, PortAddress &address, QString *why)
{
    static const QRegularExpression hostName(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9._-]*[A-Za-z0-9])?$"));
    const qsizetype colon = rest.lastIndexOf(u':');
    QString host = colon < 0 ? rest : rest.left(colon);
    const QString port = colon < 0 ? QString() : rest.mid(colon + 1);
    if (host.startsWith(u'[') && host.endsWith(u']')) {
        host = host.mid(1, host.size() - 2);
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol)
            return failed(why, AddressTexts::tr("アドレス「%1」: 「[%2]」は IPv6 アドレスではありません。").arg(whole, host));
    } else if (!hostName.match(host).hasMatch()) {
        return failed(why, AddressTexts::tr("アドレス「%1」: ホスト名がありません、または正しくありません (IPv6 は「[::1]:ポート」のように書きます)。")
                               .arg(whole));
    }
    if (port.isEmpty())
        return failed(why, AddressTexts::tr("アドレス「%1」: ポート番号がありません (「ホスト:ポート」)。").arg(whole));
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number < 1 || number > 65535 || !port.front().isDigit())
        return failed(why, AddressTexts::tr("アドレス「%1」: ポート番号「%2」は 1 から 65535 の数ではありません。").arg(whole, port));
    address.host = host;
    address.port = quint16(number);
    return true;
}
} // namespace

QString PortAddress::text() const
{
    if (kind == Device)
        return path;
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return (kind == Rfc2217 ? kRfc2217 : kTcp) + kSchemeEnd + shownHost + u':' + QString::number(port);
}

bool isNetworkAddress(const QString &text)
{
    return text.contains(kSchemeEnd);
}

std::optional<PortAddress> parseAddress(const QString &text, QString *why)
{
    PortAddress address;
    if (!isNetworkAddress(text)) {
        if (text.isEmpty()) {
            failed(why, AddressTexts::tr("アドレスがありません。"));
            return std::nullopt;
        }
        address.path = text;
        return address;
    }
    const qsizetype end = text.indexOf(kSchemeEnd);
    const QString scheme = text.left(end).toLower();
    if (scheme == kRfc2217)
        address.kind = PortAddress::Rfc2217;
    else if (scheme == kTcp)
        address.kind = PortAddress::Tcp;
    else {
        failed(why, AddressTexts::tr("アドレス「%1」: 「%2://」は使えません。rfc2217:// か tcp:// を使ってください。")
                        .arg(text, text.left(end)));
        return std::nullopt;
    }
    if (!readHostPort(text.mid(end + kSchemeEnd.size()), text, address, why))
        return std::nullopt;
    return address;
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
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).section(u'#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const auto problem = [&](const QString &why) {
            names.m_problems << QStringLiteral("%1:%2: %3").arg(fileName).arg(i + 1).arg(why);
        };
        const qsizetype eq = line.indexOf(u'=');
        const QString name = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        QString why;
        if (eq < 0)
            problem(AddressTexts::tr("「名前 = アドレス」ではありません。"));
        else if (!names.acceptsName(name, &why))
            problem(why);
        else if (auto address = parseAddress(value, &why)) {
            address->name = name;
            names.m_ports << *address;
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
