// SPDX-License-Identifier: GPL-3.0-or-later
// The telnet and RFC 2217 codec, from byte strings to byte strings: every row
// fed whole and again one byte at a time, which must make no difference. The
// network link against servers scripted here: what it says of each refusal
// and end, and what it holds however a server floods it.

#include "link/transport/address.h"
#include "link/ports/portnames.h"
#include "link/transport/networklink.h"
#include "link/transport/telnetcodec.h"
#include "link/transport/wait.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>

using korvanta::TelnetCodec;
using Agreement = TelnetCodec::Agreement;

class CodecTest : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void answersBounded();
    void servers_data();
    void servers();
    void floods();
    void addresses_data();
    void addresses();
    void portNames();
};

namespace {
QByteArray bytes(const char *text, int size) { return QByteArray(text, size); }
#define B(text) bytes(text, sizeof(text) - 1)

// What ser2net answers to the settings of 19200 8N1 without flow control.
const QByteArray kAnswers = B("\xff\xfa\x2c\x65\x00\x00\x4b\x00\xff\xf0" "\xff\xfa\x2c\x66\x08\xff\xf0"
                              "\xff\xfa\x2c\x67\x01\xff\xf0" "\xff\xfa\x2c\x68\x01\xff\xf0"
                              "\xff\xfa\x2c\x69\x01\xff\xf0");
const QByteArray kAgreed = B("\xff\xfd\x00\xff\xfb\x00\xff\xfd\x2c"); // DO BINARY, WILL BINARY, DO COM-PORT
} // namespace

void CodecTest::decode_data()
{
    QTest::addColumn<QByteArray>("in");      // from the server, after the client's opening
    QTest::addColumn<QByteArray>("data");    // what reaches the exchanges
    QTest::addColumn<QByteArray>("replies"); // what the codec answers
    QTest::addColumn<int>("comPort");        // Agreement
    QTest::addColumn<bool>("settled");       // every setting answered
    QTest::addColumn<int>("modemState");

    QTest::newRow("text") << B("ATI\r\r\nOK\r\n") << B("ATI\r\r\nOK\r\n") << QByteArray() << int(Agreement::Asked)
                          << false << 0;
    QTest::newRow("255 undoubled") << B("a\xff\xff" "b") << B("a\xff" "b") << QByteArray() << int(Agreement::Asked)
                                   << false << 0;
    // ser2net's own opening, then its answers: BINARY both ways, the option
    // taken, SGA and ECHO refused, nothing answered twice.
    QTest::newRow("ser2net") << B("\xff\xfb\x03\xff\xfd\x03\xff\xfb\x01\xff\xfe\x01\xff\xfd\x00\xff\xfb\x00\xff\xfd\x2c"
                                  "\xff\xfa\x2c\x6b\x00\xff\xf0")
                                    + kAnswers
                             << QByteArray() << B("\xff\xfe\x03\xff\xfc\x03\xff\xfe\x01") << int(Agreement::Agreed)
                             << true << 0;
    QTest::newRow("agreed again: no answer") << kAgreed + kAgreed + kAnswers << QByteArray() << QByteArray()
                                             << int(Agreement::Agreed) << true << 0;
    QTest::newRow("a server offering the option itself") << B("\xff\xfb\x2c") << QByteArray() << B("\xff\xfe\x2c")
                                                         << int(Agreement::Asked) << false << 0;
    QTest::newRow("option refused") << B("\xff\xfe\x2c") << QByteArray() << QByteArray() << int(Agreement::Refused)
                                    << false << 0;
    QTest::newRow("an option not used, asked 3 times") << B("\xff\xfd\x18\xff\xfd\x18\xff\xfd\x18") << QByteArray()
                                                       << B("\xff\xfc\x18\xff\xfc\x18\xff\xfc\x18")
                                                       << int(Agreement::Asked) << false << 0;
    QTest::newRow("notifications between data") << kAgreed + B("AT\xff\xfa\x2c\x6b\x30\xff\xf0" "E1\xff\xfa\x2c\x6a"
                                                               "\x60\xff\xf0\r")
                                                 << B("ATE1\r") << QByteArray() << int(Agreement::Agreed) << false
                                                 << 0x30;
    QTest::newRow("255 inside a subnegotiation") << kAgreed + B("\xff\xfa\x2c\x6b\xff\xff\xff\xf0ok") << B("ok")
                                                 << QByteArray() << int(Agreement::Agreed) << false << 0xff;
    QTest::newRow("oversized subnegotiation dropped")
        << kAgreed + B("\xff\xfa\x2c\x6b") + QByteArray(5000, '\x11') + B("\xff\xf0ok") << B("ok") << QByteArray()
        << int(Agreement::Agreed) << false << 0;
    QTest::newRow("IAC command ends a subnegotiation") << B("\xff\xfa\x2c\x6b\x22\xff\xfd\x01ok") << B("ok")
                                                       << B("\xff\xfc\x01") << int(Agreement::Asked) << false << 0;
    QTest::newRow("not BINARY: CR NUL is CR") << B("\xff\xfc\x00" "a\r\x00" "b\r\n") << B("a\rb\r\n")
                                              << QByteArray() << int(Agreement::Asked) << false << 0;
    QTest::newRow("BINARY: CR NUL passes") << kAgreed + B("a\r\x00") << B("a\r\x00") << QByteArray()
                                           << int(Agreement::Agreed) << false << 0;
    QTest::newRow("speed refused") << kAgreed + B("\xff\xfa\x2c\x65\x00\x00\x25\x80\xff\xf0") << QByteArray()
                                   << QByteArray() << int(Agreement::Agreed) << false << 0;
}

void CodecTest::decode()
{
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, replies);
    for (int piece : {int(in.size()), 1}) {
        TelnetCodec codec;
        QCOMPARE(codec.opening(), B("\xff\xfb\x00\xff\xfd\x00\xff\xfb\x2c"));
        QByteArray out, answered;
        for (int at = 0; at < in.size(); at += piece) {
            out += codec.decode(in.mid(at, piece));
            answered += codec.takeReplies();
        }
        QCOMPARE(out, data);
        QCOMPARE(answered, replies);
        QTEST(int(codec.comPort()), "comPort");
        QTEST(codec.answers().complete(), "settled");
        QTEST(int(codec.modemState()), "modemState");
    }
}

void CodecTest::encode_data()
{
    QTest::addColumn<bool>("binary");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("command") << true << B("ATI\r") << B("ATI\r");
    QTest::newRow("255 doubled") << true << B("\xff\xff" "a") << B("\xff\xff\xff\xff" "a");
    QTest::newRow("not BINARY: CR NUL") << false << B("AT\r\n") << B("AT\r\x00\n");
}

void CodecTest::encode()
{
    QFETCH(bool, binary);
    QFETCH(QByteArray, data);
    TelnetCodec codec;
    codec.opening();
    codec.decode(binary ? kAgreed : B("\xff\xfe\x00"));
    QTEST(codec.encode(data), "sent");
    // The same codec's decoding gives the data back.
    TelnetCodec peer;
    peer.opening();
    peer.decode(binary ? kAgreed : B("\xff\xfc\x00"));
    QCOMPARE(peer.decode(codec.encode(data)), data);
}

// A server asking faster than the answers are taken: those waiting stay
// bounded, and once they are taken the codec answers again.
void CodecTest::answersBounded()
{
    TelnetCodec codec;
    codec.opening();
    QByteArray storm;
    for (int i = 0; i < 100000; ++i)
        storm += B("\xff\xfd") + char(i % 40 + 1); // DO, options the codec refuses
    codec.decode(storm);
    QCOMPARE(codec.takeReplies().size(), TelnetCodec::kMaxReplies);
    codec.decode(B("\xff\xfd\x18"));
    QCOMPARE(codec.takeReplies(), B("\xff\xfc\x18"));
}

namespace {
// What ser2net answers to the option and to each setting; `field` (0 speed,
// 1 data size, 2 parity, 3 stop size, 4 flow control) answered `value`.
QByteArray answered(int field = -1, quint8 value = 0)
{
    QByteArray out = kAgreed + kAnswers;
    const int at[] = {7, 14, 21, 28, 35}; // each answer's value (the speed's lowest byte)
    if (field >= 0)
        out[kAgreed.size() + at[field]] = char(value);
    return out;
}

// A server on 127.0.0.1 for one connection: it sends greeting at once, then
// for each piece the client sends, the next of answers; it closes after the
// last (at once when there is none) if closes. Once it has said all it
// reads no more.
struct ScriptedServer {
    QTcpServer server;
    QTcpSocket *client = nullptr;
    ScriptedServer(const QByteArray &greeting, const QList<QByteArray> &answers, bool closes)
    {
        server.listen(QHostAddress::LocalHost);
        // What it leaves unread takes little room in the system, so that
        // what the client cannot send stays with the client.
        const int small = 4096;
        ::setsockopt(int(server.socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [=, this] {
            client = server.nextPendingConnection();
            client->setReadBufferSize(4096); // reads little, as a server that never reads
            client->write(greeting);
            if (closes && answers.isEmpty())
                client->disconnectFromHost();
            QObject::connect(client, &QTcpSocket::readyRead, client, [=, this, next = 0]() mutable {
                if (next == answers.size())
                    return; // all said: it reads no more
                client->readAll();
                client->write(answers[next++]);
                if (closes && next == answers.size())
                    client->disconnectFromHost();
            });
        });
    }
    QString address(const char *scheme) const
    {
        return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(server.serverPort());
    }
};
} // namespace

// What the link says when the server refuses a setting, or ends the
// connection: the refusal of each setting, and the server's own words only,
// never the adapter's reply.
void CodecTest::servers_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QByteArray>("command"); // sent once open
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("never");
    const QString framing = "のサーバーは 8 ビット、パリティなし、ストップビット 1、フロー制御なしを受け付けませんでした。";
    QTest::newRow("speed refused") << "rfc2217" << QByteArray() << QList{answered(0, 0x80)} << false << QByteArray()
                                   << "のサーバーは速度 19200 bit/s を受け付けませんでした (19328 bit/s と応答)。"
                                   << "";
    QTest::newRow("7 data bits") << "rfc2217" << QByteArray() << QList{answered(1, 7)} << false << QByteArray()
                                 << framing << "";
    QTest::newRow("even parity") << "rfc2217" << QByteArray() << QList{answered(2, 3)} << false << QByteArray()
                                 << framing << "";
    QTest::newRow("2 stop bits") << "rfc2217" << QByteArray() << QList{answered(3, 2)} << false << QByteArray()
                                 << framing << "";
    QTest::newRow("hardware flow control") << "rfc2217" << QByteArray() << QList{answered(4, 3)} << false
                                           << QByteArray() << framing << "";
    QTest::newRow("closed at once, not a word") << "rfc2217" << QByteArray() << QList<QByteArray>{} << true
                                                << QByteArray() << "rfc2217://127.0.0.1:{port} との接続は閉じられました。"
                                                << "他のクライアント";
    QTest::newRow("closed after the adapter's reply")
        << "tcp" << QByteArray() << QList{B("ATI\r\r\nPort in use\r\n\r\nOK\r\n")} << true << B("ATI\r")
        << "tcp://127.0.0.1:{port} との接続は閉じられました。" << "Port in use";
    QTest::newRow("a port in use, in the server's words")
        << "tcp" << B("\r\nPort already in use\r\n") << QList<QByteArray>{} << true << QByteArray()
        << "のサーバーが接続を閉じました。ポートは他のクライアントが使用中かもしれません。(サーバーの応答:「Port already in use」)"
        << "";
}

void CodecTest::servers()
{
    QFETCH(QString, scheme);
    QFETCH(QByteArray, greeting);
    QFETCH(QList<QByteArray>, answers);
    QFETCH(bool, closes);
    QFETCH(QByteArray, command);
    QFETCH(QString, said);
    QFETCH(QString, never);
    ScriptedServer server(greeting, answers, closes);
    korvanta::NetworkLink link(*korvanta::parseAddress(server.address(qPrintable(scheme))));
    QString why;
    if (link.open()) {
        if (!command.isEmpty())
            link.send(command);
        QTRY_VERIFY(!link.whyLost().isEmpty());
        why = link.whyLost();
    } else {
        why = link.whyNotOpen();
    }
    QVERIFY2(why.contains(said.replace("{port}", QString::number(server.server.serverPort()))), qPrintable(why));
    if (!never.isEmpty())
        QVERIFY2(!why.contains(never), qPrintable(why));
}

// A server that floods: the telnet requests' answers waiting to go out stay
// bounded while it never reads; its data waits up to a bound, the server
// held back meanwhile, and none of it is lost.
void CodecTest::floods()
{
    using korvanta::NetworkLink;
    const auto until = [](const std::function<bool()> &done) {
        return korvanta::waitFor(QDeadlineTimer(30000), done);
    };
    QByteArray storm;
    for (int i = 0; i < (32 << 20) / 3; ++i)
        storm += B("\xff\xfd\x18");
    ScriptedServer requests({}, {answered() + storm + "OK"}, false);
    NetworkLink asked(*korvanta::parseAddress(requests.address("rfc2217")));
    QVERIFY(asked.open());
    // As little room in the system on this side: what waits, waits in the link.
    asked.findChild<QTcpSocket *>()->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 4096);
    QVERIFY(until([&] { return asked.inBufferCount() == 2; }));
    QCOMPARE_LE(asked.outBufferCount(), NetworkLink::kMaxUnsent + TelnetCodec::kMaxReplies);

    QByteArray data(8 << 20, Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 7);
    ScriptedServer flooding(data, {}, false);
    NetworkLink flooded(*korvanta::parseAddress(flooding.address("tcp")));
    QVERIFY(flooded.open());
    QVERIFY(until([&] { return flooded.inBufferCount() == NetworkLink::kMaxInput; }));
    for (int round = 0; round < 100; ++round) // what the server sends on meanwhile waits
        QCoreApplication::processEvents();
    QCOMPARE(flooded.inBufferCount(), NetworkLink::kMaxInput);
    flooded.setInputLen(NetworkLink::kMaxInput);
    QByteArray got;
    while (got.size() < data.size() && until([&] { return flooded.inBufferCount() > 0; })) {
        QCOMPARE_LE(flooded.inBufferCount(), NetworkLink::kMaxInput);
        got += flooded.input();
    }
    QVERIFY(got == data);
}

// Every address form, read and written back; what is refused, and why.
void CodecTest::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written"); // empty: refused
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("why");
    QTest::newRow("rfc2217") << "rfc2217://rack1.example:3001" << "rfc2217://rack1.example:3001" << "rack1.example"
                             << 3001 << "";
    QTest::newRow("scheme in capitals") << "TCP://10.0.0.7:4001" << "tcp://10.0.0.7:4001" << "10.0.0.7" << 4001 << "";
    QTest::newRow("IPv6") << "rfc2217://[::1]:2001" << "rfc2217://[::1]:2001" << "::1" << 2001 << "";
    QTest::newRow("rfc2217 within TLS") << "rfc2217+tls://rack1.example:3001" << "rfc2217+tls://rack1.example:3001"
                                        << "rack1.example" << 3001 << "";
    QTest::newRow("raw within TLS, in capitals") << "TCP+TLS://[::1]:4001" << "tcp+tls://[::1]:4001" << "::1" << 4001 << "";
    QTest::newRow("device") << "/dev/ttyUSB0" << "/dev/ttyUSB0" << "" << 0 << "";
    QTest::newRow("no port") << "tcp://rack1" << "" << "" << 0 << "ポート番号がありません";
    QTest::newRow("port 0") << "tcp://rack1:0" << "" << "" << 0 << "1 から 65535";
    QTest::newRow("a path after the port") << "tcp://rack1:22/x" << "" << "" << 0 << "1 から 65535";
    QTest::newRow("IPv6 without brackets") << "tcp://::1:2001" << "" << "" << 0 << "ホスト名";
    QTest::newRow("not IPv6 in brackets") << "tcp://[rack1]:2001" << "" << "" << 0 << "IPv6 アドレスではありません";
    QTest::newRow("unknown scheme") << "telnet://rack1:23" << "" << "" << 0 << "「telnet://」は使えません";
    QTest::newRow("ssh with a user") << "ssh://admin@rack1:2222" << "ssh://admin@rack1:2222" << "rack1" << 2222 << "";
    QTest::newRow("ssh on its own port") << "ssh://rack1" << "ssh://rack1:22" << "rack1" << 22 << "";
    QTest::newRow("ssh, IPv6 on its own port") << "ssh://op@[::1]" << "ssh://op@[::1]:22" << "::1" << 22 << "";
    QTest::newRow("a user but no ssh") << "tcp://admin@rack1:4001" << "" << "" << 0 << "ユーザー名「admin」は使えません";
    QTest::newRow("an empty user") << "ssh://@rack1" << "" << "" << 0 << "ユーザー名「」は使えません";
}

void CodecTest::addresses()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QFETCH(QString, why);
    QString said;
    const std::optional<korvanta::PortAddress> address = korvanta::parseAddress(text, &said);
    QCOMPARE(bool(address), !written.isEmpty());
    if (!address) {
        QVERIFY2(said.contains(why) && said.contains(text), qPrintable(said)); // the address quoted
        return;
    }
    QCOMPARE(address->text(), written);
    QTEST(address->host, "host");
    QTEST(int(address->port), "port");
}

// ports.conf: comments, blanks, bad lines named by line and left out; a
// port's indented settings, read and written back.
void CodecTest::portNames()
{
    const auto names = korvanta::PortNames::parse("# rack\n"
                                                  "    ca = ~/ca.pem\n"
                                                  " a-1 = rfc2217://rack1:3001   # first\n"
                                                  "    fingerprint = " + QByteArray(64, 'a') + "\n"
                                                  "    Deadline-Scale = 3\n"
                                                  "b = tcp://rack1\n"
                                                  "    key = /k\n" // of the port refused: left with it
                                                  "COM2 = /dev/ttyS9\n"
                                                  "A-1 = tcp://rack1:3\n"
                                                  "no equals sign\n"
                                                  "bench=/dev/ttyUSB0\n"
                                                  "\tdeadline-scale = 0\n"
                                                  "\tfingerprint = SHA256:12\n",
                                                  "ports.conf");
    QStringList listed;
    for (const korvanta::PortAddress &port : names.ports())
        listed << port.name + " " + port.text();
    QCOMPARE(listed, (QStringList{"a-1 rfc2217://rack1:3001", "bench /dev/ttyUSB0"}));
    QStringList lines;
    for (const QString &problem : names.problems())
        lines << problem.section(": ", 0, 0);
    QCOMPARE(lines, (QStringList{"ports.conf:2", "ports.conf:6", "ports.conf:8", "ports.conf:9", "ports.conf:10",
                                 "ports.conf:12", "ports.conf:13"}));
    QCOMPARE(names.find("A-1")->text(), "rfc2217://rack1:3001"); // names are found whatever their case
    korvanta::PortAddress::Settings a1;
    a1.fingerprint = "SHA256:" + QStringList(32, "AA").join(':');
    a1.deadlineScale = 3;
    QCOMPARE(names.ports()[0].settings, a1);
    QCOMPARE(names.ports()[1].settings, korvanta::PortAddress::Settings{});

    // What the port dialog adds reads back as it was.
    QTemporaryDir dir;
    const QString path = dir.filePath("ports.conf");
    korvanta::PortAddress secure = *korvanta::parseAddress("tcp://rack2:4001");
    secure.settings = {"/etc/korvanta/ca.pem", a1.fingerprint, "/c.pem", "/c.key", 2.5};
    korvanta::PortNames added;
    QVERIFY(added.add(path, "rack-2", secure, nullptr));
    QCOMPARE(korvanta::PortNames::load(path).find("rack-2")->settings, secure.settings);
}

QTEST_GUILESS_MAIN(CodecTest)
#include "codec_test.moc"
