// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/link.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"

#include <QMap>
#include <QTimer>

namespace korvanta {

// The simulated adapter's line, with the answer to chosen command lines
// replaced: the adapter still receives and logs the line but keeps silent, and
// the given reply arrives instead. For replies the adapter never gives, such as
// lines out of order, an entry ending in "*" or a text longer than any box.
class ReplacingLink : public Link {
public:
    explicit ReplacingLink(sim::SimulatedLink &inner) : m_inner(inner)
    {
        connect(&inner, &Link::commEvent, this, &Link::commEvent);
    }
    QMap<QByteArray, QByteArray> replies; // command line without CR -> reply

    bool open() override { return m_inner.open(); }
    void close() override { m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    int inBufferCount() const override { return int(m_replaced.size()) + m_inner.inBufferCount(); }
    int outBufferCount() const override { return m_inner.outBufferCount(); }
    QString description() const override { return m_inner.description(); }

    void output(const QByteArray &text) override
    {
        const auto it = replies.constFind(text.chopped(1));
        if (it == replies.cend()) {
            m_inner.output(text);
            return;
        }
        sim::SimulatedAdapter &adapter = m_inner.adapter();
        const sim::Faults faults = adapter.faults();
        sim::Faults silent = faults;
        silent.silent = true;
        adapter.setFaults(silent);
        m_inner.output(text);
        adapter.setFaults(faults);
        QTimer::singleShot(0, this, [this, reply = *it] {
            m_replaced += reply;
            emit commEvent(comEvReceive);
        });
    }

protected:
    QByteArray readBuffered(int max) override
    {
        QByteArray taken = m_replaced.left(max);
        m_replaced.remove(0, taken.size());
        m_inner.setInputLen(max - int(taken.size()));
        if (taken.size() < max)
            taken += m_inner.input();
        return taken;
    }

private:
    sim::SimulatedLink &m_inner;
    QByteArray m_replaced;
};

} // namespace korvanta
