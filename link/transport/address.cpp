// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/address.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
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

// The network addresses' schemes: what each runs on the stream, and what
// stream it takes.
struct Scheme {
    const char *name;
    PortAddress::Kind kind;
    PortAddress::Carrier carrier;
    quint16 defaultPort = 0; // the port when the address names none; 0: it must
    bool user = false;       // whether "USER@" may come before the host
};
constexpr Scheme kSchemes[] = {
    {"rfc2217", PortAddress::Rfc2217, PortAddress::Carrier::Tcp},
    {"tcp", PortAddress::Tcp, PortAddress::Carrier::Tcp},
    {"rfc2217+tls", PortAddress::Rfc2217, PortAddress::Carrier::Tls},
    {"tcp+tls", PortAddress::Tcp, PortAddress::Carrier::Tls},
    {"ssh", PortAddress::Tcp, PortAddress::Carrier::Ssh, 22, true},
};
const QString kSchemeEnd = QStringLiteral("://");

QString schemeNames()
{
    QStringList names;
    for (const Scheme &s : kSchemes)
        names << QLatin1String(s.name) + kSchemeEnd;
    return names.join(QStringLiteral(", "));
}

bool failed(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

// "[USER@]HOST:PORT" or "[USER@][IPV6]:PORT" into the address, the user and
// the port as the scheme allows; false with why.
bool readHostPort(QString rest, const QString &whole, const Scheme &scheme, PortAddress &address, QString *why)
{
    static const QRegularExpression hostName(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9._-]*[A-Za-z0-9])?$"));
    static const QRegularExpression userName(QStringLiteral("^[A-Za-z0-9_.][A-Za-z0-9_.-]*$"));
    const qsizetype at = rest.lastIndexOf(u'@');
    if (at >= 0) {
        const QString user = rest.left(at);
        if (!scheme.user || !userName.match(user).hasMatch())
            return failed(why, AddressTexts::tr("アドレス「%1」: ユーザー名「%2」は使えません。").arg(whole, user));
        address.user = user;
        rest = rest.mid(at + 1);
    }
    const qsizetype colon = rest.lastIndexOf(u':');
    const bool portGiven = colon >= 0 && !rest.endsWith(u']');
    QString host = portGiven ? rest.left(colon) : rest;
    QString port = portGiven ? rest.mid(colon + 1) : QString();
    if (!portGiven && scheme.defaultPort)
        port = QString::number(scheme.defaultPort);
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
    const auto scheme = std::find_if(std::begin(kSchemes), std::end(kSchemes),
                                     [this](const Scheme &s) { return s.kind == kind && s.carrier == carrier; });
    const QString shownUser = user.isEmpty() ? QString() : user + u'@';
    return QLatin1String(scheme->name) + kSchemeEnd + shownUser + shownHost + u':' + QString::number(port);
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
    const auto known = std::find_if(std::begin(kSchemes), std::end(kSchemes),
                                    [&scheme](const Scheme &s) { return scheme == QLatin1String(s.name); });
    if (known == std::end(kSchemes)) {
        failed(why, AddressTexts::tr("アドレス「%1」: 「%2://」は使えません。使えるのは %3 です。")
                        .arg(text, text.left(end), schemeNames()));
        return std::nullopt;
    }
    address.kind = known->kind;
    address.carrier = known->carrier;
    if (!readHostPort(text.mid(end + kSchemeEnd.size()), text, *known, address, why))
        return std::nullopt;
    return address;
}

} // namespace korvanta
