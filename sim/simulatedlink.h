// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/link.h"
#include "link/ports/ports.h"
#include "sim/pacer.h"

#include <memory>

namespace korvanta::sim {

class SimulatedAdapter;

// The link to a SimulatedAdapter in the same process. What the host sends
// reaches the adapter at once, or a character time apart while the adapter's
// line is paced (outBufferCount() then counts what is still on its way). What
// the adapter sends lands in the receive buffer and raises comEvReceive once
// per arrival, always from the event loop. When the adapter's line goes away
// the link raises comEventLineLost, stays open and sends nothing more.
class SimulatedLink : public Link {
    Q_OBJECT
public:
    explicit SimulatedLink(SimulatedAdapter &adapter, QObject *parent = nullptr);

    // Fails while open already, with the fault cannotOpen, or after the line
    // was lost (until the adapter's powerCycle()).
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void output(const QByteArray &text) override;
    int inBufferCount() const override { return int(m_received.size()); }
    int outBufferCount() const override { return m_sending.pending(); }
    QString description() const override;

    SimulatedAdapter &adapter() const { return m_adapter; }

protected:
    QByteArray readBuffered(int max) override;

private:
    bool live() const { return m_open && !m_lost; }
    void arrive(const QByteArray &bytes);
    void lose();

    SimulatedAdapter &m_adapter;
    Pacer m_sending;
    QByteArray m_received;
    bool m_open = false;
    bool m_lost = false;
};

// A link to the one simulated adapter on every port of the list, the found
// devices given included.
// What the history of a simulated adapter is kept under.
QString simulatedPortName();
LinkFactory simulatedLinkFactory(SimulatedAdapter &adapter, const QList<FoundPort> &found = {});

// The adapter of --simulate: factory settings, answering at the speed of a
// real 19200 bit/s line.
std::unique_ptr<SimulatedAdapter> builtInAdapter();

} // namespace korvanta::sim
