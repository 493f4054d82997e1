#include "app/ports.h"

#include "link/commevents.h"
#include "link/seriallink.h"
#include "sim/simulatedlink.h"

#include <QRegularExpression>

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
    m_paths[match.captured(1).toInt()] = match.captured(2);
    return true;
}

QString PortMap::devicePath(int comPort) const
{
    return m_paths.value(comPort, QStringLiteral("/dev/ttyS%1").arg(comPort - 1));
}

LinkFactory serialLinkFactory(const PortMap &map)
{
    return {[map](int comPort) -> std::unique_ptr<Link> {
                if (comPort < kFirstComPort || comPort > kLastComPort)
                    return nullptr;
                return std::make_unique<SerialLink>(map.devicePath(comPort));
            },
            [map](int comPort) { return map.devicePath(comPort); }};
}

LinkFactory simulatedLinkFactory(sim::SimulatedAdapter &adapter)
{
    return {[&adapter](int comPort) -> std::unique_ptr<Link> {
                if (comPort < kFirstComPort || comPort > kLastComPort)
                    return nullptr;
                return std::make_unique<sim::SimulatedLink>(adapter);
            },
            [](int) { return QStringLiteral("模擬アダプタ（内蔵）"); }};
}

SerialControl::SerialControl(LinkFactory factory) : m_factory(std::move(factory)) {}

SerialControl::~SerialControl()
{
    close();
}

bool SerialControl::setCommPort(int comPort)
{
    std::unique_ptr<Link> link = m_factory.create ? m_factory.create(comPort) : nullptr;
    if (!link)
        return false;
    close();
    m_link = std::move(link);
    m_commEvents = new CommEventHandler(*m_link, m_link.get());
    m_commPort = comPort;
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

} // namespace korvanta
