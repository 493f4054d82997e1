#include "link/ports.h"

#include "link/commevents.h"
#include "link/seriallink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvanta {

bool PortMap::assign(const QString &assignment, QString *error)
{
    static const QRegularExpression pattern(QStringLiteral("^COM([1-9])=(.+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(assignment);
    if (!match.hasMatch()) {
        if (error)
            *error = QStringLiteral("expected COMn=PATH with n from 1 to 9, got \"%1\"").arg(assignment);
        return false;
    }
    set(match.captured(1).toInt(), match.captured(2));
    return true;
}

QString PortMap::devicePath(int comPort) const
{
    return m_paths.value(comPort, QStringLiteral("/dev/ttyS%1").arg(comPort - 1));
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
// The file a device path leads to, the path itself when it leads nowhere.
QString realDevice(const QString &path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

// The name of the group that owns the device; empty when unknown.
QString owningGroup(const QString &device)
{
    struct stat status {};
    if (::stat(QFile::encodeName(device).constData(), &status) != 0)
        return {};
    const struct group *owner = ::getgrgid(status.st_gid);
    return owner ? QString::fromLocal8Bit(owner->gr_name) : QString();
}

QString inUse(const QString &device)
{
    return QStringLiteral("デバイス %1 は他のプログラムが使用中です。").arg(device);
}

QString reasonFor(int error, const QString &device)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QStringLiteral("デバイス %1 が存在しません。").arg(device);
    case EACCES:
    case EPERM: {
        const QString denied = QStringLiteral("デバイス %1 を開く権限がありません。").arg(device);
        const QString group = owningGroup(device);
        if (group.isEmpty())
            return denied;
        return denied + QStringLiteral("ユーザーをグループ「%1」に加えてから、ログインし直してください。").arg(group);
    }
    case EBUSY:
        return inUse(device);
    default:
        return QStringLiteral("デバイス %1: %2").arg(device, QString::fromLocal8Bit(std::strerror(error)));
    }
}
} // namespace

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

QString openFailureReason(const QString &device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return reasonFor(errno, device);
    ::close(fd);
    // The system opens it for this user: what stood in the way is the lock
    // that a serial port takes, held by another program, or the device itself.
    QSerialPort port(device);
    if (port.open(QIODevice::ReadWrite)) {
        port.close();
        return {};
    }
    if (port.error() == QSerialPort::PermissionError)
        return inUse(device);
    return QStringLiteral("デバイス %1: %2").arg(device, port.errorString());
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

namespace {
QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}
} // namespace

QString accessOf(const FoundPort &port)
{
    if (::access(QFile::encodeName(port.path).constData(), R_OK | W_OK) == 0)
        return QStringLiteral("may open");
    return QStringLiteral("no access (group %1)").arg(orDash(owningGroup(port.path)));
}

QString listPorts(const QList<FoundPort> &found)
{
    QString out;
    for (const FoundPort &port : found)
        out += QStringList{port.path, orDash(port.byId), orDash(port.description), orDash(port.manufacturer),
                           accessOf(port)}
                   .join(u'\t')
               + u'\n';
    return out;
}

namespace {
// The devices of the list after the nine COM ports, by port number; empty
// outside the list.
QString foundDevice(const QList<FoundPort> &found, int port)
{
    const int i = port - kLastComPort - 1;
    return i >= 0 && i < found.size() ? found[i].device() : QString();
}
} // namespace

LinkFactory serialLinkFactory(const PortMap &map, const QList<FoundPort> &found)
{
    LinkFactory factory;
    factory.found = besidesComPorts(found, map);
    const auto device = [map, found = factory.found](int port) {
        return port >= kFirstComPort && port <= kLastComPort ? map.devicePath(port) : foundDevice(found, port);
    };
    factory.create = [device](int port) -> std::unique_ptr<Link> {
        const QString path = device(port);
        if (path.isEmpty())
            return nullptr;
        return std::make_unique<SerialLink>(path);
    };
    factory.describe = device;
    factory.whyNotOpen = [device](int port) { return openFailureReason(device(port)); };
    return factory;
}

SerialControl::SerialControl(LinkFactory factory) : m_factory(std::move(factory)) {}

SerialControl::~SerialControl()
{
    close();
}

bool SerialControl::setCommPort(int port)
{
    std::unique_ptr<Link> link = m_factory.create ? m_factory.create(port) : nullptr;
    if (!link)
        return false;
    close();
    m_link = std::move(link);
    m_commEvents = new CommEventHandler(*m_link, m_link.get());
    m_commPort = port;
    return true;
}

void SerialControl::close()
{
    if (m_link && m_link->isOpen())
        m_link->close();
}

QString SerialControl::describe(int comPort) const
{
    return m_factory.describe ? m_factory.describe(comPort) : QString();
}

QString SerialControl::whyNotOpen(int port) const
{
    return m_factory.whyNotOpen ? m_factory.whyNotOpen(port) : QString();
}

} // namespace korvanta
