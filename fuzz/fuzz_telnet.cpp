// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry for the telnet and RFC 2217 codec of the network link: the
// input is what a server sends, cut into pieces. Whatever it holds, the codec
// answers no more bytes than it took, passes on no more data than it took,
// keeps its subnegotiation and the answers waiting bounded, settles with a
// peer instead of looping, and carries any data (255 and CR included)
// through encode and decode unchanged.

#include "link/transport/telnetcodec.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using korvanta::TelnetCodec;

namespace {
void check(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

// The codec as a client that has agreed BINARY with the server both ways, or not.
TelnetCodec agreed(bool binary)
{
    TelnetCodec codec;
    codec.opening();
    if (binary)
        codec.decode(QByteArray("\xff\xfd\x00\xff\xfb\x00", 6));
    else
        codec.decode(QByteArray("\xff\xfe\x00\xff\xfc\x00", 6));
    codec.takeReplies();
    return codec;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data) + 1, int(size - 1));
    const int piece = 1 + data[0] % 16;

    // The server's bytes, piece by piece.
    TelnetCodec client;
    client.opening();
    QByteArray answered;
    for (int at = 0; at < input.size(); at += piece) {
        const QByteArray bytes = input.mid(at, piece);
        const QByteArray out = client.decode(bytes);
        const QByteArray replies = client.takeReplies();
        check(out.size() <= bytes.size(), "more data out than bytes in");
        check(replies.size() <= bytes.size() + 2, "more answers than requests"); // a request cut by the piece
        answered += replies;
    }
    check(answered.size() <= input.size(), "the answers outgrow the requests");

    // A codec in whatever state the input left it, and the client opening to
    // it: answering each other, they fall silent within a few rounds.
    TelnetCodec a, b(false);
    b.decode(input);
    check(b.takeReplies().size() <= TelnetCodec::kMaxReplies, "the answers waiting outgrow their bound");
    QByteArray toB = a.opening(), toA;
    int rounds = 0;
    while ((!toA.isEmpty() || !toB.isEmpty()) && rounds++ < 16) {
        b.decode(toB);
        a.decode(toA);
        toB = a.takeReplies();
        toA = b.takeReplies();
    }
    check(rounds < 16, "negotiation loops");

    // Data through encode and decode, in BINARY and as NVT text.
    for (bool binary : {true, false}) {
        const TelnetCodec sender = agreed(binary);
        TelnetCodec receiver = agreed(binary);
        const QByteArray wire = sender.encode(input);
        check(wire.size() <= 2 * input.size(), "encoding more than doubles");
        QByteArray back;
        for (int at = 0; at < wire.size(); at += piece)
            back += receiver.decode(wire.mid(at, piece));
        check(back == input, "255 or CR does not come back as sent");
        check(receiver.takeReplies().isEmpty(), "data taken as negotiation");
    }
    return 0;
}
