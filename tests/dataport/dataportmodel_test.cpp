#include "dataport/dataportmodel.h"

#include <QMap>
#include <QTest>

using namespace korvanta::dataport;

namespace {
// An answer as the adapter frames it: the echo, then each value line, then OK.
QByteArray answer(const QByteArray &command, const QList<QByteArray> &lines)
{
    QByteArray a = command + '\r';
    for (const QByteArray &l : lines)
        a += "\r\n" + l + "\r\n";
    return a + "\r\nOK\r\n";
}

using Stored = QMap<QString, QString>;
StoredValue from(const Stored &stored)
{
    return [stored](const char *key, const char *fallback) { return stored.value(key, fallback); };
}
ValueOf values(const Stored &v)
{
    return [v](const char *key) { return v.value(key); };
}

QString fmt(const Reading &r) { return !r.ok ? "fail" : r.value ? *r.value : "none"; }
} // namespace

class DataPortModelTest : public QObject {
    Q_OBJECT
private slots:
    void listing_data();
    void listing();
    void extendedReplies_data();
    void extendedReplies();
    void registerAndDigitReplies_data();
    void registerAndDigitReplies();
    void portCommands_data();
    void portCommands();
    void extCommands_data();
    void extCommands();
    void bodCommands();
    void speedText_data();
    void speedText();
    void spinnerWraps_data();
    void spinnerWraps();
};

void DataPortModelTest::listing_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("sub");
    QTest::addColumn<QString>("tokens"); // key=value, in reply order

    QTest::newRow("number and subaddress") << answer("AT\\S5", {"DATA ADR:0312345678*12#\r\n$B4:2 $O4:1 $N4:0 $M4:0 $P4:1"})
                                           << true << QByteArray("0312345678") << QByteArray("12#")
                                           << "TUCHI=2 CYAKU=1 GLOBAL=0 SUB_ADR=0 SHIKI=1";
    QTest::newRow("no subaddress, trailing blanks go, leading stay")
        << answer("AT\\S5", {"DATA ADR: 0312  \r\n$B4:3"}) << true << QByteArray(" 0312") << QByteArray() << "TUCHI=3";
    QTest::newRow("other port's and unknown tokens skipped")
        << answer("AT\\S6", {"USB ADR:\r\n$B4:1 $X5:1 $b5:0 $N5:7 $M5:1"}) << true << QByteArray() << QByteArray()
        << "TUCHI=0 SUB_ADR=1";
    // Only the line right after the number line carries tokens.
    QTest::newRow("tokens past the next line ignored")
        << answer("AT\\S5", {"DATA ADR:1\r\n$O4:1", "$N4:0"}) << true << QByteArray("1") << QByteArray() << "CYAKU=1";
    QTest::newRow("text ends without CR") << QByteArray("AT\\S5\r\r\nDATA ADR:77*9") << true << QByteArray("77")
                                          << QByteArray("9") << "";
    QTest::newRow("no colon is a failure") << answer("AT\\S5", {"DATA ADR"}) << false << QByteArray() << QByteArray()
                                           << "";
}

void DataPortModelTest::listing()
{
    QFETCH(QByteArray, reply);
    const ListingReading r = parseListing(reply, port(reply.contains("S6") ? UsbPort : DataPort));
    QFETCH(bool, ok);
    QCOMPARE(r.ok, ok);
    QTEST(r.number, "number");
    QTEST(r.subaddress, "sub");
    QStringList tokens;
    for (const auto &[setting, value] : r.values)
        tokens << QString("%1=%2").arg(setting->key, value);
    QTEST(tokens.join(' '), "tokens");
}

void DataPortModelTest::extendedReplies_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("%C 0: two channels") << QByteArray("CYANNEL") << answer("AT%C?", {"000"}) << "0";
    QTest::newRow("%C 1: one channel") << QByteArray("CYANNEL") << answer("AT%C?", {"001"}) << "1";
    QTest::newRow("%U read one after the 0") << QByteArray("REBOD") << answer("AT%U?", {"002"}) << "2";
    QTest::newRow("%U any other value") << QByteArray("REBOD") << answer("AT%U?", {"009"}) << "3";
    QTest::newRow("&B 0") << QByteArray("BACP") << answer("AT&B?", {"000"}) << "0";
    QTest::newRow("%Y 1") << QByteArray("CYAKU") << answer("AT%Y?", {"001"}) << "1";
    QTest::newRow("%Y no 0 at all") << QByteArray("CYAKU") << QByteArray("AT%Y?\r\r\nOK\r\n") << "fail";
    QTest::newRow("BOD add 0") << QByteArray("SLPUT") << answer("AT%A?%D?", {"000", "003"}) << "1";
    QTest::newRow("BOD add 3 delete 1") << QByteArray("SLPUT") << answer("AT%A?%D?", {"003", "001"}) << "1";
    QTest::newRow("BOD add 3 delete 3") << QByteArray("SLPUT") << answer("AT%A?%D?", {"003", "003"}) << "0";
    QTest::newRow("BOD add 3 and no delete") << QByteArray("SLPUT") << answer("AT%A?%D?", {"003"}) << "fail";
}

void DataPortModelTest::extendedReplies()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, reply);
    QTEST(fmt(parseExtended(extSetting(key.constData()), reply)), "expected");
}

void DataPortModelTest::registerAndDigitReplies_data()
{
    QTest::addColumn<int>("kind"); // 0 register, 1 direction, 2 BAP mask, 3 i-Number
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("register 100") << 0 << answer("AT$I41?", {"100"}) << "100";
    QTest::newRow("register 012 without zeros") << 0 << answer("AT$I40?", {"012"}) << "12";
    QTest::newRow("register eleventh char 3") << 0 << answer("AT$I40?", {"300"}) << "fail";
    QTest::newRow("register eleventh char letter") << 0 << answer("AT$I40?", {"X00"}) << "fail";
    QTest::newRow("register reply cut short") << 0 << QByteArray("AT$I40?\r\r") << "fail";
    QTest::newRow("direction 002") << 1 << answer("AT%A?", {"002"}) << "2";
    QTest::newRow("direction 004 changes nothing") << 1 << answer("AT%A?", {"004"}) << "none";
    QTest::newRow("mask 005") << 2 << answer("AT$I47?", {"005"}) << "5";
    QTest::newRow("mask 008 changes nothing") << 2 << answer("AT$I47?", {"008"}) << "none";
    QTest::newRow("i-Number 002") << 3 << answer("AT@J4?", {"002"}) << "2";
    QTest::newRow("i-Number 005 is no failure") << 3 << answer("AT@J4?", {"005"}) << "none";
    QTest::newRow("i-Number without 0") << 3 << QByteArray("AT@J4?\r\r\n9\r\n\r\nOK\r\n") << "fail";
}

void DataPortModelTest::registerAndDigitReplies()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, reply);
    const Reading r = kind == 0 ? parseRegister(reply) : kind == 1 ? parseDirection(reply)
                    : kind == 2 ? parseMask(reply) : parseINumber(reply);
    QTEST(fmt(r), "expected");
}

void DataPortModelTest::portCommands_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<Stored>("dialog");
    QTest::addColumn<QList<QByteArray>>("expected"); // number, subaddress, settings

    const Stored defaults{{"SUB_ADR", "1"}, {"GLOBAL", "1"}, {"CYAKU", "0"}, {"SHIKI", "0"},
                          {"TUCHI", "3"}, {"INUMBER", "1"}, {"JIKO_NO", ""}, {"SUB_NO", ""}};
    QTest::newRow("missing keys count as the defaults") << 1 << Stored{} << defaults << QList<QByteArray>{"", "", ""};
    Stored edited = defaults;
    edited["TUCHI"] = "0";
    edited["GLOBAL"] = "0";
    edited["INUMBER"] = "2";
    QTest::newRow("setting order, not edit order") << 0 << defaults << edited
                                                   << QList<QByteArray>{"", "", "AT$N4=0$B4=0@J4=2"};
    Stored numbers = defaults;
    numbers["JIKO_NO"] = "0312";
    numbers["SUB_NO"] = "";
    Stored storedNumbers = defaults;
    storedNumbers["SUB_NO"] = "9";
    QTest::newRow("own commands, empty sends nothing after =")
        << 1 << storedNumbers << numbers << QList<QByteArray>{"AT$C5=0312", "AT$E5=", ""};
}

void DataPortModelTest::portCommands()
{
    QFETCH(int, port);
    QFETCH(Stored, stored);
    QFETCH(Stored, dialog);
    const PortCommands c = composePortWrite(korvanta::dataport::port(PortIndex(port)), from(stored), values(dialog),
                                            dialog["JIKO_NO"], dialog["SUB_NO"]);
    QTEST((QList<QByteArray>{c.number, c.subaddress, c.settings}), "expected");
}

void DataPortModelTest::extCommands_data()
{
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<Stored>("dialog");
    QTest::addColumn<QByteArray>("expected");
    const Stored off{{"CYANNEL", "0"}, {"REBOD", "0"}, {"BACP", "1"}, {"SLPUT", "0"}, {"CYAKU", "0"}};
    Stored on = off;
    on["SLPUT"] = "1";
    QTest::newRow("throughput BOD on sends nothing") << off << on << QByteArray();
    QTest::newRow("throughput BOD off") << on << off << QByteArray("AT%A3%D3");
    Stored all{{"CYANNEL", "1"}, {"REBOD", "3"}, {"BACP", "0"}, {"SLPUT", "0"}, {"CYAKU", "1"}};
    QTest::newRow("all in order") << on << all << QByteArray("AT%C1%U3&B0%A3%D3%Y1");
    QTest::newRow("missing keys count as the defaults") << Stored{} << off << QByteArray();
}

void DataPortModelTest::extCommands()
{
    QFETCH(Stored, stored);
    QFETCH(Stored, dialog);
    QTEST(composeExtWrite(from(stored), values(dialog)), "expected");
}

void DataPortModelTest::bodCommands()
{
    // Registers as typed (leading zero kept), holding times in units of 5.
    const Stored stored{{"ADD", "3"}, {"DEL", "1"}, {"ADD_$42", "80"}, {"DEL_$45", "40"}, {"ADD_$40", "10"},
                        {"DEL_$43", "10"}, {"ADD_$41", "100"}, {"DEL_$44", "12"}};
    const QMap<QString, QString> boxes{{"Text1", "080"}, {"Text4", "40"}, {"Text2", "10"},
                                       {"Text5", "11"},  {"Text3", "502"}, {"Text6", "65"}};
    const BodDialogValues dialog{{0, 1}, [&](const BodRegister &r) { return boxes.value(r.box); }};
    QCOMPARE(composeBodWrite(from(stored), dialog), QByteArray("AT%A0$I42=080$I43=11$I44=13"));
    QCOMPARE(composeBodWrite(from({}), {{3, 3}, [](const BodRegister &) { return QString(); }}), QByteArray("AT$I41=0$I44=0"));

    const int both[2] = {5, 0};
    QCOMPARE(composeBapWrite(from({{"HASHIN", "7"}}), both), QByteArray("AT$I47=5$I46=0"));
    const int unchanged[2] = {7, 7};
    QCOMPARE(composeBapWrite(from({}), unchanged), QByteArray());
}

void DataPortModelTest::speedText_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QString>("caption");
    QTest::newRow("50") << 50 << "約 4Kbps";
    QTest::newRow("33, not 2.6399999") << 33 << "約 2.64Kbps";
    QTest::newRow("0") << 0 << "約 0Kbps";
    QTest::newRow("1, zero before the point") << 1 << "約 0.08Kbps";
    QTest::newRow("9") << 9 << "約 0.72Kbps";
    QTest::newRow("999") << 999 << "約 79.92Kbps";
}

void DataPortModelTest::speedText()
{
    QFETCH(int, threshold);
    QTEST(speedCaption(threshold), "caption");
}

void DataPortModelTest::spinnerWraps_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");
    QTest::newRow("threshold 0 down") << int(BodKind::Threshold) << 0 << false << 100;
    QTest::newRow("threshold 100 up") << int(BodKind::Threshold) << 100 << true << 0;
    QTest::newRow("threshold 150 down") << int(BodKind::Threshold) << 150 << false << 0;
    QTest::newRow("evaluation 255 up") << int(BodKind::EvaluationTime) << 255 << true << 1;
    QTest::newRow("evaluation 1 down") << int(BodKind::EvaluationTime) << 1 << false << 255;
    QTest::newRow("holding 1275 up") << int(BodKind::HoldingTime) << 1275 << true << 5;
    QTest::newRow("holding 5 down") << int(BodKind::HoldingTime) << 5 << false << 1275;
    QTest::newRow("holding 502 up rounds down") << int(BodKind::HoldingTime) << 502 << true << 505;
    QTest::newRow("holding 502 down") << int(BodKind::HoldingTime) << 502 << false << 495;
}

void DataPortModelTest::spinnerWraps()
{
    QFETCH(int, kind);
    QFETCH(int, value);
    QFETCH(bool, up);
    QTEST(spin(BodKind(kind), value, up), "expected");
}

QTEST_GUILESS_MAIN(DataPortModelTest)
#include "dataportmodel_test.moc"
