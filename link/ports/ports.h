// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/address.h"
#include "link/transport/seriallink.h"

#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace korvanta {

class TrafficLog;
class Link;

constexpr int kFirstComPort = 1;
constexpr int kLastComPort = 9;

// Where each COM number of the port list leads: COMn is /dev/ttyS(n-1) unless
// mapped elsewhere ("COM3=/dev/ttyUSB0", "COM4=rfc2217://rack1:2001").
class PortMap {
public:
    // Takes one "COMn=PATH" assignment; false (with the reason) when it is not one.
    bool assign(const QString &assignment, QString *error = nullptr);
    void set(int comPort, const QString &path) { m_addresses[comPort] = PortAddress::device(path); }
    void set(int comPort, const PortAddress &address) { m_addresses[comPort] = address; }
    PortAddress address(int comPort) const;
    // The device path, or the network address as written.
    QString devicePath(int comPort) const { return address(comPort).text(); }

private:
    QMap<int, PortAddress> m_addresses;
};

// A serial device found on the machine.
struct FoundPort {
    QString path;         // "/dev/ttyUSB0"
    QString byId;         // its stable name under /dev/serial/by-id/; empty when udev made none
    QString description;  // empty when unknown
    QString manufacturer; // empty when unknown

    // What the port list opens: the stable name where there is one.
    QString device() const { return byId.isEmpty() ? path : byId; }
    // Description and manufacturer, those that are known.
    QString details() const;
};

// The serial devices of the machine (QSerialPortInfo), each with the name
// under byIdFolder that leads to it.
QList<FoundPort> findSerialPorts(const QString &byIdFolder = QStringLiteral("/dev/serial/by-id"));

// The found devices that are not already the device of a COM number (by the
// file they lead to, so "/dev/serial/by-id/..." given to --port counts).
QList<FoundPort> besidesComPorts(const QList<FoundPort> &found, const PortMap &map);

// A device file's type and permission bits, owner and group (their names, or
// their numbers where the system has no name for them).
struct DeviceStatus {
    quint32 mode = 0; // st_mode
    QString owner;
    QString group;
};

// How the port code looks at device files; tests give made-up answers.
struct DeviceProbe {
    // stat(2) of the file the path leads to; nothing when there is none.
    std::function<std::optional<DeviceStatus>(const QString &path)> status;
    // Whether this user may open it for reading and writing (access(2)).
    std::function<bool(const QString &path)> mayOpen;
};
DeviceProbe systemDevices();

// Why the device did not open, in Japanese: missing, in use, or no
// permission, with who may open it and how to change that. Empty when the
// failure says nothing.
QString openFailureReason(const QString &device, const OpenFailure &failure,
                          const DeviceProbe &probe = systemDevices());

// The name under byIdFolder that leads to the same device as path, where udev
// made one; else path itself.
QString stableName(const QString &path, const QString &byIdFolder = QStringLiteral("/dev/serial/by-id"));

// The port as the operator names it, the same in both programs: its
// ports.conf name, else a network address as written, else the device's
// stable name (stableName()).
QString portName(const PortAddress &address);

// Whether this user may open the device: "may open", or "no access" and who may.
QString accessOf(const FoundPort &port, const DeviceProbe &probe = systemDevices());

// One line per found device for --list-ports: path, by-id name, description,
// manufacturer (a "-" for what is unknown), and whether this user may open it
// (and if not, who may).
QString listPorts(const QList<FoundPort> &found, const DeviceProbe &probe = systemDevices());

// The one place that decides which link a port of the list gets: a serial
// device in normal use, the simulated adapter in demos, whatever a test
// injects. Ports are numbered as the list shows them: COM1 to COM9 are 1 to 9,
// the found devices follow from 10 on.
struct LinkFactory {
    std::function<std::unique_ptr<Link>(int port)> create;
    // What a COM number leads to, shown beside it in the port list.
    std::function<QString(int comPort)> describe;
    // The port as the operator names it (portName()): what its history is
    // kept under.
    std::function<QString(int port)> name;
    // How many times as long as usual the port's line may take
    // (ports.conf's deadline-scale); 1 when it says nothing.
    std::function<double(int port)> deadlineScale;
    // The devices listed after the nine COM ports.
    QList<FoundPort> found = {};
    // The ports named in ports.conf, listed after the devices; shared by the
    // copies of the factory, so that a port named while the program runs is
    // known to every one.
    std::shared_ptr<QList<PortAddress>> named = std::make_shared<QList<PortAddress>>();
};

// The link an address leads to: a serial link on a device, a network link on
// a console server's port.
std::unique_ptr<Link> linkTo(const PortAddress &address);

// A link on the mapped address of each COM number, on each found device
// after them, and on each named port after those.
LinkFactory serialLinkFactory(const PortMap &map, const QList<FoundPort> &found = {},
                              const QList<PortAddress> &named = {});

// The factory's links, each through the log.
LinkFactory loggedLinkFactory(LinkFactory factory, TrafficLog &log);

} // namespace korvanta
