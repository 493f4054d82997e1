// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/streamfor.h"

#include "link/transport/sshstream.h"
#include "link/transport/tcpstream.h"
#include "link/transport/tlsstream.h"

namespace korvanta {

ByteStream *streamFor(const PortAddress &address, QObject *parent)
{
    switch (address.carrier) {
    case PortAddress::Carrier::Tls:
        return new TlsStream(parent);
    case PortAddress::Carrier::Ssh:
        return new SshStream(parent);
    case PortAddress::Carrier::Tcp:
        break;
    }
    return new TcpStream(parent);
}

} // namespace korvanta
