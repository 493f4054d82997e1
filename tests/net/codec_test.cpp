// SPDX-License-Identifier: GPL-3.0-or-later
// The telnet and RFC 2217 codec, from byte strings to byte strings: every row
// fed whole and again one byte at a time, which must make no difference.

#include "link/address.h"
#include "link/telnetcodec.h"

#include <QtTest>

using korvanta::TelnetCodec;
using Agreement = TelnetCodec::Agreement;

class CodecTest : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
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
    QTest::newRow("device") << "/dev/ttyUSB0" << "/dev/ttyUSB0" << "" << 0 << "";
    QTest::newRow("no port") << "tcp://rack1" << "" << "" << 0 << "ポート番号がありません";
    QTest::newRow("port 0") << "tcp://rack1:0" << "" << "" << 0 << "1 から 65535";
    QTest::newRow("a path after the port") << "tcp://rack1:22/x" << "" << "" << 0 << "1 から 65535";
    QTest::newRow("IPv6 without brackets") << "tcp://::1:2001" << "" << "" << 0 << "ホスト名";
    QTest::newRow("not IPv6 in brackets") << "tcp://[rack1]:2001" << "" << "" << 0 << "IPv6 アドレスではありません";
    QTest::newRow("unknown scheme") << "ssh://rack1:22" << "" << "" << 0 << "「ssh://」は使えません";
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

// ports.conf: comments, blanks, bad lines named by line and left out.
void CodecTest::portNames()
{
    const auto names = korvanta::PortNames::parse("# rack\n"
                                                  "\n"
                                                  " a-1 = rfc2217://rack1:3001   # first\n"
                                                  "b = tcp://rack1\n"
                                                  "COM2 = /dev/ttyS9\n"
                                                  "A-1 = tcp://rack1:3\n"
                                                  "no equals sign\n"
                                                  "bench=/dev/ttyUSB0\n",
                                                  "ports.conf");
    QStringList listed;
    for (const korvanta::PortAddress &port : names.ports())
        listed << port.name + " " + port.text();
    QCOMPARE(listed, (QStringList{"a-1 rfc2217://rack1:3001", "bench /dev/ttyUSB0"}));
    QStringList lines;
    for (const QString &problem : names.problems())
        lines << problem.section(": ", 0, 0);
    QCOMPARE(lines, (QStringList{"ports.conf:4", "ports.conf:5", "ports.conf:6", "ports.conf:7"}));
    QCOMPARE(names.find("A-1")->text(), "rfc2217://rack1:3001"); // names are found whatever their case
}

QTEST_GUILESS_MAIN(CodecTest)
#include "codec_test.moc"
