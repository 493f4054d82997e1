// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ports/ports.h"

#include "link/transport/trafficlog.h"
#include "link/transport/networklink.h"
#include "link/transport/seriallink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvanta {

bool PortMap::assign(const QString &assignment, QString *error)
{
    // \z: "$" would let a line break end the path and drop it.
    static const QRegularExpression pattern(QStringLiteral("\\ACOM([1-9])=(.+)\\z"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(assignment);
    if (!match.hasMatch()) {
        if (error)
            *error = QStringLiteral("expected COMn=PATH with n from 1 to 9, got \"%1\"").arg(assignment);
        return false;
    }
    const std::optional<PortAddress> address = parseAddress(match.captured(2), error);
    if (!address)
        return false;
    set(match.captured(1).toInt(), *address);
    return true;
}

PortAddress PortMap::address(int comPort) const
{
    return m_addresses.value(comPort, PortAddress::device(QStringLiteral("/dev/ttyS%1").arg(comPort - 1)));
}

QString FoundPort::details() const
{
    QStringList known;
    for (const QString &text : {description, manufacturer})
        if (!text.isEmpty())
            known << text;
    return known.join(QStringLiteral(", "));
}

QList<FoundPort> findSerialPorts(const QString &byIdFolder)
{
    QList<FoundPort> found;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        FoundPort port{info.systemLocation(), {}, info.description(), info.manufacturer()};
        if (const QString name = stableName(port.path, byIdFolder); name != port.path)
            port.byId = name;
        found << port;
    }
    return found;
}

namespace {
// The reasons a device does not open, in the port dialog and on the command line.
struct Ports {
    Q_DECLARE_TR_FUNCTIONS(korvanta::SerialControl)
};
// The file a device path leads to, the path itself when it leads nowhere.
QString realDevice(const QString &path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

QString inUse(const QString &device)
{
    return Ports::tr("デバイス %1 は他のプログラムが使用中です。").arg(device);
}

// The file's type and permission bits as ls(1) shows them: "crw-rw----"
// (device files have no set-id bits).
QString modeText(quint32 mode)
{
    static const struct {
        quint32 type;
        char letter;
    } types[] = {{S_IFCHR, 'c'}, {S_IFBLK, 'b'}, {S_IFDIR, 'd'}, {S_IFLNK, 'l'}, {S_IFIFO, 'p'}, {S_IFSOCK, 's'}};
    QString text(10, u'-');
    for (const auto &t : types)
        if ((mode & S_IFMT) == t.type)
            text[0] = QLatin1Char(t.letter);
    for (int bit = 0; bit < 9; ++bit)
        if (mode & (0400u >> bit))
            text[1 + bit] = QLatin1Char("rwxrwxrwx"[bit]);
    return text;
}

// Who a device's mode lets read and write it, for the user it refused.
struct Access {
    enum Who { Everyone, Group, OnlyOwner } who;
    QString name; // the group, or the one user who may
    QString mode;
};

Access whoMayOpen(const DeviceStatus &status)
{
    constexpr quint32 groupRw = S_IRGRP | S_IWGRP, otherRw = S_IROTH | S_IWOTH, ownerRw = S_IRUSR | S_IWUSR;
    const QString mode = modeText(status.mode);
    if ((status.mode & otherRw) == otherRw)
        return {Access::Everyone, {}, mode}; // refused by something other than the mode
    if ((status.mode & groupRw) == groupRw)
        return {Access::Group, status.group, mode};
    // root opens what no one else may.
    return {Access::OnlyOwner, (status.mode & ownerRw) == ownerRw ? status.owner : QStringLiteral("root"), mode};
}

QString permissionReason(const QString &device, const DeviceProbe &probe)
{
    const QString denied = Ports::tr("デバイス %1 を開く権限がありません。").arg(device);
    const std::optional<DeviceStatus> status = probe.status(device);
    if (!status)
        return denied;
    const Access access = whoMayOpen(*status);
    switch (access.who) {
    case Access::Group:
        return denied
            + Ports::tr("ユーザーをグループ「%1」に加えてから、ログインし直してください。").arg(access.name);
    case Access::OnlyOwner:
        return denied + Ports::tr("%1 だけが開けます (%2)。udev の規則か管理者がこの権限を変えられます。")
                            .arg(access.name, access.mode);
    case Access::Everyone:
        break;
    }
    return denied + Ports::tr("モード (%1) では誰でも開けますが、システムが拒みました。管理者に相談してください。")
                        .arg(access.mode);
}

QString reasonFor(int error, const QString &device, const DeviceProbe &probe)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return Ports::tr("デバイス %1 が存在しません。").arg(device);
    case EACCES:
    case EPERM:
        return permissionReason(device, probe);
    case EBUSY:
        return inUse(device);
    default:
        return Ports::tr("デバイス %1: %2").arg(device, QString::fromLocal8Bit(std::strerror(error)));
    }
}
} // namespace

DeviceProbe systemDevices()
{
    DeviceProbe probe;
    probe.status = [](const QString &path) -> std::optional<DeviceStatus> {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return std::nullopt;
        const struct passwd *owner = ::getpwuid(st.st_uid);
        const struct group *group = ::getgrgid(st.st_gid);
        return DeviceStatus{st.st_mode, owner ? QString::fromLocal8Bit(owner->pw_name) : QString::number(st.st_uid),
                            group ? QString::fromLocal8Bit(group->gr_name) : QString::number(st.st_gid)};
    };
    probe.mayOpen = [](const QString &path) {
        return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
    };
    return probe;
}

QList<FoundPort> besidesComPorts(const QList<FoundPort> &found, const PortMap &map)
{
    QSet<QString> comDevices;
    for (int port = kFirstComPort; port <= kLastComPort; ++port)
        comDevices << realDevice(map.devicePath(port));
    QList<FoundPort> rest;
    for (const FoundPort &port : found)
        if (!comDevices.contains(realDevice(port.path)))
            rest << port;
    return rest;
}

QString openFailureReason(const QString &device, const OpenFailure &failure, const DeviceProbe &probe)
{
    if (failure.systemError)
        return reasonFor(failure.systemError, device, probe);
    if (failure.locked)
        return inUse(device);
    if (failure.text.isEmpty())
        return {};
    return Ports::tr("デバイス %1: %2").arg(device, failure.text);
}

QString portName(const PortAddress &address)
{
    return address.byLabel() ? address.label() : stableName(address.path);
}

QString stableName(const QString &path, const QString &byIdFolder)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty() || path.startsWith(byIdFolder + u'/'))
        return path;
    for (const QFileInfo &name : QDir(byIdFolder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                                                                 QDir::Name))
        if (name.canonicalFilePath() == target)
            return name.absoluteFilePath();
    return path;
}

QString accessOf(const FoundPort &port, const DeviceProbe &probe)
{
    if (probe.mayOpen(port.path))
        return QStringLiteral("may open");
    QString access = QStringLiteral("no access");
    if (const std::optional<DeviceStatus> status = probe.status(port.path)) {
        const Access who = whoMayOpen(*status);
        switch (who.who) {
        case Access::Group:
            access += QStringLiteral(" (join group %1)").arg(who.name);
            break;
        case Access::OnlyOwner:
            access += QStringLiteral(" (only %1: %2; a udev rule or the administrator can change that)")
                          .arg(who.name, who.mode);
            break;
        case Access::Everyone:
            access += QStringLiteral(" (%1, but the system refuses)").arg(who.mode);
            break;
        }
    }
    return access;
}

QString listPorts(const QList<FoundPort> &found, const DeviceProbe &probe)
{
    QString out;
    const auto orDash = [](const QString &text) { return text.isEmpty() ? QStringLiteral("-") : text; };
    for (const FoundPort &port : found)
        out += QStringList{port.path, orDash(port.byId), orDash(port.description), orDash(port.manufacturer),
                           accessOf(port, probe)}
                   .join(u'\t')
               + u'\n';
    return out;
}

std::unique_ptr<Link> linkTo(const PortAddress &address)
{
    if (address.isNetwork()) {
        auto link = std::make_unique<NetworkLink>(address);
        const NetworkLink::Deadlines usual;
        const double scale = address.settings.deadlineScale;
        link->setDeadlines({int(usual.connectMs * scale), int(usual.negotiateMs * scale)});
        return link;
    }
    auto link = std::make_unique<SerialLink>(address.path);
    link->explainFailuresWith([](const QString &device, const OpenFailure &failure) {
        return openFailureReason(device, failure);
    });
    return link;
}

LinkFactory serialLinkFactory(const PortMap &map, const QList<FoundPort> &found, const QList<PortAddress> &named)
{
    LinkFactory factory;
    factory.found = besidesComPorts(found, map);
    *factory.named = named;
    // The address of a port of the list: COM1 to COM9, the found devices, the
    // named ports; nothing outside the list.
    const auto address = [map, found = factory.found, named = factory.named](int port) -> std::optional<PortAddress> {
        if (port >= kFirstComPort && port <= kLastComPort)
            return map.address(port);
        const int i = port - kLastComPort - 1;
        if (i >= 0 && i < found.size())
            return PortAddress::device(found[i].device());
        if (const int n = i - int(found.size()); n >= 0 && n < named->size())
            return named->at(n);
        return std::nullopt;
    };
    factory.create = [address](int port) -> std::unique_ptr<Link> {
        const std::optional<PortAddress> where = address(port);
        return where ? linkTo(*where) : nullptr;
    };
    factory.describe = [address](int port) {
        const std::optional<PortAddress> where = address(port);
        return where ? where->text() : QString();
    };
    factory.name = [address](int port) {
        const std::optional<PortAddress> where = address(port);
        return where ? portName(*where) : QString();
    };
    factory.deadlineScale = [address](int port) {
        const std::optional<PortAddress> where = address(port);
        return where ? where->settings.deadlineScale : 1.0;
    };
    return factory;
}

LinkFactory loggedLinkFactory(LinkFactory factory, TrafficLog &log)
{
    factory.create = [create = std::move(factory.create), &log](int port) -> std::unique_ptr<Link> {
        std::unique_ptr<Link> link = create ? create(port) : nullptr;
        if (!link)
            return nullptr;
        return std::make_unique<TrafficLogLink>(std::move(link), log);
    };
    return factory;
}

} // namespace korvanta
