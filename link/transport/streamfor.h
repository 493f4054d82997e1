// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/stream.h"

namespace korvanta {

// The stream an address's scheme runs over, a child of parent: the one place
// that knows every kind of stream.
ByteStream *streamFor(const PortAddress &address, QObject *parent);

} // namespace korvanta
