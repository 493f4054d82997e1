// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ports/ports.h"
#include "link/protocol/timing.h"

#include <memory>

namespace korvanta {

class CommEventHandler;
class Link;

// The utility's serial control: the port number it is set to and the link for
// that number, with its event handler.
class SerialControl {
public:
    explicit SerialControl(LinkFactory factory);
    ~SerialControl();
    SerialControl(const SerialControl &) = delete;
    SerialControl &operator=(const SerialControl &) = delete;

    int commPort() const { return m_commPort; }
    Link *link() const { return m_link.get(); }
    CommEventHandler *commEvents() const { return m_commEvents; }

    // Changes the port number, closing the link of the old number. False when
    // the number has no link; the old number and link then stay.
    bool setCommPort(int port);
    void close();
    QString describe(int comPort) const;
    QString name(int port) const;
    // The deadlines of the port's line: timing times its deadline-scale.
    Timing timingOf(int port, const Timing &timing) const;
    const QList<FoundPort> &found() const { return m_factory.found; }
    const QList<PortAddress> &named() const { return *m_factory.named; }
    // A port named while the program runs, at the end of the list; its number.
    int addNamed(const PortAddress &address);
    // Why the link of the port failed to open; empty when there is nothing to say.
    QString whyNotOpen(int port) const;

private:
    LinkFactory m_factory;
    int m_commPort = 0;
    std::unique_ptr<Link> m_link;
    CommEventHandler *m_commEvents = nullptr; // owned by the link
};

} // namespace korvanta
