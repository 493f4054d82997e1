// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulatedlink.h"

#include "sim/simulatedadapter.h"

#include <QCoreApplication>

namespace korvanta::sim {

SimulatedLink::SimulatedLink(SimulatedAdapter &adapter, QObject *parent)
    : Link(parent), m_adapter(adapter)
{
    connect(&m_adapter, &SimulatedAdapter::transmitted, this, &SimulatedLink::arrive);
    connect(&m_adapter, &SimulatedAdapter::lineLost, this, &SimulatedLink::lose);
    connect(&m_sending, &Pacer::delivered, this, [this](const QByteArray &bytes) {
        if (live())
            m_adapter.receive(bytes);
    });
}

bool SimulatedLink::open()
{
    if (m_open || m_adapter.faults().cannotOpen || m_adapter.isLineLost())
        return false;
    m_open = true;
    m_lost = false;
    m_received.clear();
    return true;
}

void SimulatedLink::close()
{
    m_open = false;
    m_received.clear();
    m_sending.clear();
}

void SimulatedLink::output(const QByteArray &text)
{
    if (!live())
        return;
    const int charUs = m_adapter.faults().charTimeUs;
    if (charUs == 0 && m_sending.pending() == 0) {
        m_adapter.receive(text);
        return;
    }
    m_sending.setCharTimeUs(charUs);
    m_sending.send(text);
}

QString SimulatedLink::description() const { return QStringLiteral("simulated adapter"); }

QByteArray SimulatedLink::readBuffered(int max)
{
    const QByteArray taken = m_received.left(max);
    m_received.remove(0, taken.size());
    return taken;
}

void SimulatedLink::arrive(const QByteArray &bytes)
{
    if (!live())
        return;
    m_received += bytes;
    emit commEvent(comEvReceive);
}

void SimulatedLink::lose()
{
    if (!live())
        return;
    m_lost = true;
    m_sending.clear();
    emit commEvent(comEventLineLost);
}

QString simulatedPortName()
{
    return QStringLiteral("simulated adapter");
}

LinkFactory simulatedLinkFactory(SimulatedAdapter &adapter, const QList<FoundPort> &found)
{
    LinkFactory factory;
    factory.found = found;
    factory.create = [&adapter, found = int(found.size()), named = factory.named](int port) -> std::unique_ptr<Link> {
        if (port < kFirstComPort || port > kLastComPort + found + int(named->size()))
            return nullptr;
        return std::make_unique<SimulatedLink>(adapter);
    };
    factory.describe = [](int) {
        return QCoreApplication::translate("korvanta::sim::SimulatedLink", "模擬アダプタ（内蔵）");
    };
    factory.name = [](int) { return simulatedPortName(); };
    return factory;
}

std::unique_ptr<SimulatedAdapter> builtInAdapter()
{
    Faults line;
    line.charTimeUs = kCharTimeUs19200; // as slow as a real line
    return std::make_unique<SimulatedAdapter>(line);
}

} // namespace korvanta::sim
