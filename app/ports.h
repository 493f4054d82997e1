#pragma once

#include <QMap>
#include <QString>
#include <functional>
#include <memory>

namespace korvanta {

class CommEventHandler;
class Link;

constexpr int kFirstComPort = 1;
constexpr int kLastComPort = 9;

// Where each COM number of the port list leads: COMn is /dev/ttyS(n-1) unless
// mapped elsewhere ("COM3=/dev/ttyUSB0").
class PortMap {
public:
    // Takes one "COMn=PATH" assignment; false (with the reason) when it is not one.
    bool assign(const QString &assignment, QString *error = nullptr);
    QString devicePath(int comPort) const;

private:
    QMap<int, QString> m_paths;
};

// The one place that decides which link a COM number gets: a serial device in
// normal use, the simulated adapter in demos, whatever a test injects.
struct LinkFactory {
    std::function<std::unique_ptr<Link>(int comPort)> create;
    // What the COM number leads to, for the port list's tool tips.
    std::function<QString(int comPort)> describe;
};

// A serial link on the mapped device path of each COM number.
LinkFactory serialLinkFactory(const PortMap &map);

namespace sim {
class SimulatedAdapter;
}
// A link to the one simulated adapter on every COM number.
LinkFactory simulatedLinkFactory(sim::SimulatedAdapter &adapter);

// The utility's serial control: the COM number it is set to and the link for
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

    // Changes the COM number, closing the link of the old number. False when
    // the number has no link; the old number and link then stay.
    bool setCommPort(int comPort);
    void close();
    QString describe(int comPort) const;

private:
    LinkFactory m_factory;
    int m_commPort = 0;
    std::unique_ptr<Link> m_link;
    CommEventHandler *m_commEvents = nullptr; // owned by the link
};

} // namespace korvanta
