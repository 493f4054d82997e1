// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session/serialcontrol.h"

#include "link/session/commevents.h"
#include "link/transport/link.h"

namespace korvanta {

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

int SerialControl::addNamed(const PortAddress &address)
{
    m_factory.named->append(address);
    return kLastComPort + int(m_factory.found.size() + m_factory.named->size());
}

QString SerialControl::name(int port) const
{
    return m_factory.name ? m_factory.name(port) : describe(port);
}

Timing SerialControl::timingOf(int port, const Timing &timing) const
{
    const double scale = m_factory.deadlineScale ? m_factory.deadlineScale(port) : 1.0;
    return scale == 1.0 ? timing : timing.times(scale);
}

QString SerialControl::describe(int comPort) const
{
    return m_factory.describe ? m_factory.describe(comPort) : QString();
}

QString SerialControl::whyNotOpen(int port) const
{
    return m_link && port == m_commPort ? m_link->whyNotOpen() : QString();
}

} // namespace korvanta
