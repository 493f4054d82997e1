// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataport/dataportdialog.h"
#include "link/session/messages.h"
#include "link/session/session.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "tests/replacinglink.h"
#include "workfile/workfile.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace korvanta;
using korvanta::sim::SimulatedAdapter;
using korvanta::sim::SimulatedLink;

using Commands = QList<QByteArray>;
using Values = QMap<QString, QString>;    // adapter setting -> value
using Edits = QList<QPair<QString, QString>>; // control -> text to type; options are clicked
using Replies = QMap<QByteArray, QByteArray>; // command line -> the reply given instead of the adapter's

namespace {
// One adapter on its in-process line, a work file of its own, and the main
// window's stand-in as the opener.
struct Rig {
    explicit Rig(const Values &values = {}, const sim::Faults &faults = {}) : adapter(faults)
    {
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (!adapter.setValue(it.key(), it.value()))
                qFatal("bad simulator value %s", qPrintable(it.key()));
        link.open();
        session.NewFirmwareFlag = adapter.oldFirmware() ? "0" : "1";
        Messages::setHandler([this](const MessageRequest &r) {
            messages << r;
            return MessageBox::Ok;
        });
    }
    ~Rig() { Messages::setHandler(nullptr); }

    QDialog *openForm3()
    {
        auto *d = new DataPortDialog(session, &main);
        d->openAndRead();
        adapter.clearLog();
        return d;
    }
    // Opens a detail dialog from the data port dialog's button.
    static QDialog *detail(QDialog *form3, const char *button, const char *form)
    {
        QTest::mouseClick(find<QPushButton>(form3, button), Qt::LeftButton);
        return form3->findChild<QDialog *>(form);
    }
    QString stored(const char *section, const char *key) { return file.fetch(section, key, "<missing>"); }
    // The adapter's replies to queries, one value line each, given instead of its own.
    void reply(const Replies &lines)
    {
        for (auto it = lines.cbegin(); it != lines.cend(); ++it)
            link.replies[it.key()] = it.key() + "\r\r\n" + it.value() + "\r\n\r\nOK\r\n";
    }
    QStringList texts() const
    {
        QStringList t;
        for (const MessageRequest &m : messages)
            t << m.text;
        return t;
    }

    template <class T> static T *find(QWidget *root, const QString &name)
    {
        T *w = root->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    // Clicks an option, or types into a box as an operator would.
    static void edit(QWidget *root, const Edits &edits)
    {
        for (const auto &[name, text] : edits) {
            if (name.startsWith("Option")) {
                find<QRadioButton>(root, name)->click();
                continue;
            }
            auto *box = find<QLineEdit>(root, name);
            box->selectAll();
            QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClicks(box, text);
        }
    }

    QTemporaryDir dir;
    SimulatedAdapter adapter;
    SimulatedLink simLink{adapter};
    ReplacingLink link{simLink};
    WorkFile file{dir.filePath("mail.ini")};
    // Deadlines a healthy exchange never meets; tests of a time-out shorten
    // the one deadline they wait out.
    Session session{link, file, Timing{}.scaled(5)};
    QWidget main;
    QList<MessageRequest> messages;
};

bool checked(QWidget *root, const char *name) { return Rig::find<QRadioButton>(root, name)->isChecked(); }
QString textOf(QWidget *root, const char *name) { return Rig::find<QLineEdit>(root, name)->text(); }
QString caption(QWidget *root, const char *name) { return Rig::find<QLabel>(root, name)->text(); }
void press(QWidget *root, const char *name) { QTest::mouseClick(Rig::find<QPushButton>(root, name), Qt::LeftButton); }
} // namespace

class DataPortDialogTest : public QObject {
    Q_OBJECT
private slots:
    void readingFillsControlsAndWorkFile();
    void olderFirmwareDisablesNetworkContract();
    void unreadControlsSendNothing_data();
    void unreadControlsSendNothing();
    void iNumberReply_data();
    void iNumberReply();
    void overLongListingShownWhole();
    void registerSendsOnlyChanges_data();
    void registerSendsOnlyChanges();
    void workFileWithoutUsbSection();
    void ownNumberTimeoutLeavesRestUnsent();
    void boxesScreenTypedAndPastedText();
    void detailButtonsFollowTheirOptionsAndHelpFollowsTab();
    void bodReading();
    void bodBadRegisterReplyIsFailure();
    void bodRegister_data();
    void bodRegister();
    void bodSpinners_data();
    void bodSpinners();
    void bapReading();
    void bapRegister_data();
    void bapRegister();
    void operatorRoundTrip();
    void screenshots();
};

void DataPortDialogTest::readingFillsControlsAndWorkFile()
{
    Rig rig({{"$C4", "0312345678"}, {"$E4", "12"}, {"$B4", "2"}, {"$O4", "1"}, {"@J4", "2"}, {"@J5", "2"},
             {"$C5", "0398765432"}, {"%C", "1"}, {"%U", "2"}, {"&B", "0"}, {"%A", "3"}, {"%D", "1"}, {"%Y", "1"}});
    auto *d = new DataPortDialog(rig.session, &rig.main);
    d->openAndRead();
    QCOMPARE(rig.adapter.log(), (Commands{"AT\\S5", "AT@J4?", "AT\\S6", "AT@J5?", "AT%C?", "AT%U?", "AT%A?%D?",
                                          "AT&B?", "AT%Y?"}));
    QCOMPARE(rig.session.ReadFailed, 0);
    QVERIFY(!rig.main.isEnabled());

    QCOMPARE(textOf(d, "Text1"), "0312345678");
    QCOMPARE(textOf(d, "Text2"), "12");
    QCOMPARE(textOf(d, "Text4"), "0398765432");
    QCOMPARE(textOf(d, "Text3"), "");
    for (const char *on : {"Option3", "Option6", "Option7", "Option9", "Option12", "Option42", "Option39",
                           "Option31", "Option14", "Option21", "Option13", "Option17", "Option35"})
        QVERIFY2(checked(d, on), on);
    QVERIFY(Rig::find<QPushButton>(d, "Command4")->isEnabled());
    QVERIFY(!Rig::find<QPushButton>(d, "Command5")->isEnabled());
    QVERIFY(Rig::find<QRadioButton>(d, "Option16")->isEnabled());

    const QList<std::tuple<const char *, const char *, const char *>> file{
        {"DATA", "JIKO_NO", "0312345678"}, {"DATA", "SUB_NO", "12"}, {"DATA", "TUCHI", "2"}, {"DATA", "CYAKU", "1"},
        {"DATA", "GLOBAL", "1"}, {"DATA", "SUB_ADR", "1"}, {"DATA", "SHIKI", "0"}, {"DATA", "INUMBER", "2"},
        {"USB", "JIKO_NO", "0398765432"}, {"USB", "SUB_NO", ""}, {"USB", "TUCHI", "3"}, {"USB", "INUMBER", "2"},
        {"DATAEXT", "CYANNEL", "1"}, {"DATAEXT", "REBOD", "2"}, {"DATAEXT", "BACP", "0"},
        {"DATAEXT", "SLPUT", "1"}, {"DATAEXT", "CYAKU", "1"}};
    for (const auto &[section, key, value] : file)
        QCOMPARE(rig.stored(section, key), value);
    d->close();
    QTRY_VERIFY(rig.main.isEnabled());
}

void DataPortDialogTest::olderFirmwareDisablesNetworkContract()
{
    sim::Faults old;
    old.firmware = sim::kOldFirmware;
    Rig rig({}, old);
    QDialog *d = rig.openForm3();
    QVERIFY(!Rig::find<QRadioButton>(d, "Option16")->isEnabled());
    QVERIFY(!Rig::find<QRadioButton>(d, "Option31")->isEnabled());
    QVERIFY(Rig::find<QRadioButton>(d, "Option3")->isEnabled());

    // A failed listing still disables the option of both ports; the USB
    // reading and the extended reading do not run.
    old.errorFor = {"AT\\S5"};
    Rig failing({}, old);
    failing.session.timing.queryDeadlineMs = 100;
    auto *f = new DataPortDialog(failing.session, &failing.main);
    f->openAndRead();
    QCOMPARE(failing.adapter.log(), Commands{"AT\\S5"});
    QCOMPARE(failing.session.ReadFailed, 1);
    QCOMPARE(failing.texts(), QStringList{kReceiveFailed});
    QVERIFY(!Rig::find<QRadioButton>(f, "Option16")->isEnabled());
    QVERIFY(!Rig::find<QRadioButton>(f, "Option31")->isEnabled());
    QCOMPARE(failing.stored("DATA", "TUCHI"), "<missing>");
}

void DataPortDialogTest::unreadControlsSendNothing_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QByteArray>("failing"); // the query answered ERROR
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<Commands>("expected");
    QTest::addColumn<QString>("marked"); // the frame that says it was not read; "" the first tab

    QTest::newRow("Form3 nothing changed") << "Form3" << QByteArray("AT\\S5") << Edits{} << Commands{} << "";
    QTest::newRow("Form3 text box") << "Form3" << QByteArray("AT\\S5") << Edits{{"Text1", "0311"}}
                                    << Commands{"AT$C4=0311"} << "";
    QTest::newRow("Form3 option group") << "Form3" << QByteArray("AT\\S5") << Edits{{"Option26", ""}}
                                        << Commands{"AT$N5=0"} << "";
    // The directions read, the registers not: their empty boxes are not checked.
    QTest::newRow("Form5 nothing changed") << "Form5" << QByteArray("AT$I40?") << Edits{} << Commands{} << "Frame1";
    QTest::newRow("Form5 number box") << "Form5" << QByteArray("AT$I40?") << Edits{{"Text2", "20"}}
                                      << Commands{"AT$I40=20"} << "Frame1";
    QTest::newRow("Form5 option group") << "Form5" << QByteArray("AT%A?") << Edits{{"Option1", ""}}
                                        << Commands{"AT%A0"} << "Frame1";
    QTest::newRow("Form6 nothing changed") << "Form6" << QByteArray("AT$I47?") << Edits{} << Commands{} << "Frame3";
}

void DataPortDialogTest::unreadControlsSendNothing()
{
    // An earlier run's values in the work file; this time one query fails.
    // Only what the operator changes goes out, not the empty boxes or
    // unchosen frames against the earlier values.
    QFETCH(QString, form);
    QFETCH(QByteArray, failing);
    sim::Faults faults;
    faults.errorFor = {failing};
    Rig rig({{"%A", "1"}}, form == "Form3" ? faults : sim::Faults{});
    rig.session.timing.queryDeadlineMs = 100;
    rig.file.store("DATA", "JIKO_NO", "0398");
    rig.file.store("SLPUT", "ADD_$40", "10");
    rig.file.store("BACP", "HASHIN", "5");
    QPointer<QDialog> d = rig.openForm3();
    if (form != "Form3") {
        rig.adapter.setFaults(faults);
        d = Rig::detail(d, form == "Form5" ? "Command4" : "Command5", form.toLatin1());
    }
    QCOMPARE(rig.texts(), QStringList{kReceiveFailed});
    QFETCH(QString, marked);
    const QString unread = QStringLiteral("（読み込めませんでした）");
    if (marked.isEmpty())
        QVERIFY(Rig::find<QTabWidget>(d, "SSTab1")->tabText(0).endsWith(unread));
    else
        QVERIFY(Rig::find<QGroupBox>(d, marked)->title().endsWith(unread));

    rig.adapter.clearLog();
    QFETCH(Edits, edits);
    Rig::edit(d, edits);
    press(d, form == "Form3" ? "Command8" : form == "Form5" ? "Command2" : "Command1");
    QTEST(rig.adapter.log(), "expected");
    QCOMPARE(rig.texts(), QStringList{kReceiveFailed});
    QTRY_VERIFY(d.isNull());
}

void DataPortDialogTest::iNumberReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("chosen"); // DATA, USB option on
    QTest::addColumn<QString>("stored");
    QTest::newRow("003, the fourth option") << QByteArray("003") << QStringList{"Option43", "Option44"} << "3";
    QTest::newRow("005 chooses none") << QByteArray("005") << QStringList{} << "<missing>";
}

void DataPortDialogTest::iNumberReply()
{
    Rig rig;
    QFETCH(QByteArray, reply);
    rig.reply({{"AT@J4?", reply}, {"AT@J5?", reply}});
    QPointer<QDialog> d = rig.openForm3();
    QFETCH(QStringList, chosen);
    for (const char *name : {"Option40", "Option41", "Option42", "Option43", "Option37", "Option38", "Option39",
                             "Option44"})
        QCOMPARE(checked(d, name), chosen.contains(name));
    QTEST(rig.stored("DATA", "INUMBER"), "stored");
    QTEST(rig.stored("USB", "INUMBER"), "stored");
    press(d, "Command8"); // a frame with no choice sends nothing
    QCOMPARE(rig.adapter.log(), Commands{});
    QTRY_VERIFY(d.isNull());
}

void DataPortDialogTest::overLongListingShownWhole()
{
    // Longer than the boxes' 32 and 20 characters: each box holds what the
    // work file keeps, and nothing goes back unasked.
    Rig rig;
    const QString number(40, '1'), sub(25, '2');
    const QByteArray line = "ADR:" + number.toLatin1() + '*' + sub.toLatin1();
    rig.reply({{"AT\\S5", line}, {"AT\\S6", line}});
    QPointer<QDialog> d = rig.openForm3();
    for (const auto &[section, numberBox, subBox] : {std::tuple{"DATA", "Text1", "Text2"}, {"USB", "Text4", "Text3"}}) {
        QCOMPARE(textOf(d, numberBox), number);
        QCOMPARE(textOf(d, subBox), sub);
        QCOMPARE(rig.stored(section, "JIKO_NO"), number);
        QCOMPARE(rig.stored(section, "SUB_NO"), sub);
    }
    press(d, "Command8");
    QCOMPARE(rig.adapter.log(), Commands{});
    QTRY_VERIFY(d.isNull());
}

void DataPortDialogTest::registerSendsOnlyChanges_data()
{
    QTest::addColumn<Values>("adapter");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<Commands>("expected");

    QTest::newRow("unchanged") << Values{} << Edits{} << Commands{};
    QTest::newRow("own number only") << Values{} << Edits{{"Text1", "0312345678"}} << Commands{"AT$C4=0312345678"};
    QTest::newRow("global and notification in setting order")
        << Values{} << Edits{{"Option2", ""}, {"Option8", ""}} << Commands{"AT$N4=0$B4=1"};
    QTest::newRow("USB subaddress, then settings")
        << Values{} << Edits{{"Option26", ""}, {"Option44", ""}, {"Text3", "12#"}}
        << Commands{"AT$E5=12#", "AT$N5=0@J5=3"};
    QTest::newRow("throughput BOD off to on sends nothing") << Values{} << Edits{{"Option17", ""}} << Commands{};
    QTest::newRow("throughput BOD on to off") << Values{{"%A", "1"}} << Edits{{"Option18", ""}}
                                              << Commands{"AT%A3%D3"};
    QTest::newRow("extended in setting order")
        << Values{} << Edits{{"Option35", ""}, {"Option13", ""}, {"Option21", ""}, {"Option14", ""}}
        << Commands{"AT%C1%U2&B0%Y1"};
    QTest::newRow("both ports and extended")
        << Values{} << Edits{{"Option10", ""}, {"Text4", "0312"}, {"Option36", ""}, {"Option4", ""}, {"Option15", ""}}
        << Commands{"AT$M4=0", "AT$C5=0312"};
}

void DataPortDialogTest::registerSendsOnlyChanges()
{
    QFETCH(Values, adapter);
    Rig rig(adapter);
    QPointer<QDialog> d = rig.openForm3();
    QFETCH(Edits, edits);
    Rig::edit(d, edits);
    press(d, "Command8");
    QTEST(rig.adapter.log(), "expected");
    QCOMPARE(rig.session.WriteCount, 1);
    QVERIFY(rig.messages.isEmpty());
    QTRY_VERIFY(d.isNull());
    QVERIFY(rig.main.isEnabled());
}

void DataPortDialogTest::workFileWithoutUsbSection()
{
    // The USB port differs from every default, the dialog is set back to the
    // defaults, and the snapshot has lost its USB section: the defaults are
    // what the writing compares with, so nothing goes out for the port.
    Rig rig({{"$B5", "0"}, {"$N5", "0"}, {"$M5", "0"}, {"$O5", "1"}, {"$P5", "1"}, {"@J5", "3"}, {"$C5", "99"}});
    QPointer<QDialog> d = rig.openForm3();
    Rig::edit(d, {{"Option31", ""}, {"Option25", ""}, {"Option27", ""}, {"Option29", ""}, {"Option24", ""},
                  {"Option38", ""}, {"Text4", ""}});
    rig.file.flush();
    QFile ini(rig.file.path());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QString text = QString::fromLatin1(ini.readAll());
    ini.close();
    text.remove(QRegularExpression("\\[USB\\][^\\[]*"));
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(text.toLatin1());
    ini.close();
    QCOMPARE(rig.stored("USB", "TUCHI"), "<missing>");
    QCOMPARE(rig.stored("DATA", "TUCHI"), "3");

    press(d, "Command8");
    QCOMPARE(rig.adapter.log(), Commands{});
    QTRY_VERIFY(d.isNull());
}

void DataPortDialogTest::ownNumberTimeoutLeavesRestUnsent()
{
    sim::Faults faults;
    faults.errorFor = {"AT$C4=*"};
    Rig rig({}, faults);
    QPointer<QDialog> d = rig.openForm3();
    rig.session.timing.setDeadlineMs = 100;
    Rig::edit(d, {{"Text1", "0312"}, {"Text2", "5"}, {"Option8", ""}, {"Option26", ""}, {"Option14", ""}});
    press(d, "Command8");
    QCOMPARE(rig.adapter.log(), Commands{"AT$C4=0312"});
    QCOMPARE(rig.texts(), QStringList{kReceiveFailed});
    QCOMPARE(rig.messages[0].icon, MessageBox::Information);
    QCOMPARE(rig.session.WriteCount, 1);
    QVERIFY(!d.isNull());
    QVERIFY(d->isEnabled() && d->isVisible());
    QCOMPARE(textOf(d, "Text1"), "0312");
}

void DataPortDialogTest::boxesScreenTypedAndPastedText()
{
    Rig rig;
    QDialog *d = rig.openForm3();
    // The USB boxes take their DATA twins' characters: their text goes out
    // inside an AT command line.
    for (const char *name : {"Text1", "Text4"}) {
        Rig::edit(d, {{name, "0a3(-)#*;&F"}});
        QCOMPARE(textOf(d, name), "03(-)#");
    }
    for (const char *name : {"Text2", "Text3"}) {
        Rig::edit(d, {{name, "1a#*-;"}});
        QCOMPARE(textOf(d, name), "1#*");
    }
    auto *box = Rig::find<QLineEdit>(d, "Text4");
    QGuiApplication::clipboard()->setText("12;&F");
    box->paste();
    QCOMPARE(box->text(), "03(-)#");
    QGuiApplication::clipboard()->setText("45");
    box->paste();
    QCOMPARE(box->text(), "03(-)#45");
    Rig::edit(d, {{"Text1", QString(40, '1')}});
    QCOMPARE(textOf(d, "Text1").size(), 32);
}

void DataPortDialogTest::detailButtonsFollowTheirOptionsAndHelpFollowsTab()
{
    Rig rig({{"%A", "0"}});
    auto *d = static_cast<DataPortDialog *>(rig.openForm3());
    auto *bod = Rig::find<QPushButton>(d, "Command4");
    auto *bap = Rig::find<QPushButton>(d, "Command5");
    QVERIFY(bod->isEnabled() && bap->isEnabled());
    Rig::edit(d, {{"Option18", ""}, {"Option13", ""}});
    QVERIFY(!bod->isEnabled() && !bap->isEnabled());
    Rig::edit(d, {{"Option17", ""}, {"Option4", ""}});
    QVERIFY(bod->isEnabled() && bap->isEnabled());

    QCOMPARE(d->helpContext(), 5);
    auto *tabs = Rig::find<QTabWidget>(d, "SSTab1");
    QCOMPARE(tabs->tabText(1), "USBポート  ");
    for (const auto &[tab, context] : {std::pair{2, 6}, std::pair{1, 11}, std::pair{0, 5}}) {
        tabs->setCurrentIndex(tab);
        QCOMPARE(d->helpContext(), context);
    }
}

void DataPortDialogTest::bodReading()
{
    Rig rig({{"%A", "1"}, {"$I41", "100"}, {"$I42", "33"}});
    QDialog *form3 = rig.openForm3();
    QPointer<QDialog> d = Rig::detail(form3, "Command4", "Form5");
    QVERIFY(d);
    QCOMPARE(rig.adapter.log(), (Commands{"AT%A?", "AT%D?", "AT$I40?", "AT$I43?", "AT$I41?", "AT$I44?",
                                          "AT$I42?", "AT$I45?"}));
    QVERIFY(!form3->isEnabled());
    QVERIFY(checked(d, "Option2") && checked(d, "Option8"));
    QCOMPARE(textOf(d, "Text3"), "500");
    QCOMPARE(textOf(d, "Text6"), "60");
    QCOMPARE(textOf(d, "Text1"), "33");
    QCOMPARE(caption(d, "Label7"), "約 2.64Kbps");
    QCOMPARE(caption(d, "Label14"), "約 3.2Kbps");
    for (const auto &[key, value] : {std::pair{"ADD", "1"}, {"DEL", "3"}, {"ADD_$41", "100"}, {"DEL_$44", "12"},
                                     {"ADD_$42", "33"}, {"ADD_SPEED", "2.64"}, {"DEL_SPEED", "3.2"}})
        QCOMPARE(rig.stored("SLPUT", key), value);

    press(d, "Command3");
    QTRY_VERIFY(d.isNull());
    QVERIFY(form3->isEnabled());
}

void DataPortDialogTest::bodBadRegisterReplyIsFailure()
{
    // Noise ahead of the echo moves the register value off position 11.
    Rig rig({{"%A", "1"}});
    QDialog *form3 = rig.openForm3();
    sim::Faults noisy;
    noisy.noise = "AB";
    rig.adapter.setFaults(noisy);
    QDialog *d = Rig::detail(form3, "Command4", "Form5");
    QCOMPARE(rig.adapter.log(), (Commands{"AT%A?", "AT%D?", "AT$I40?"}));
    QCOMPARE(rig.texts(), QStringList{kReceiveFailed});
    QVERIFY(checked(d, "Option2"));
    QCOMPARE(textOf(d, "Text2"), "");
    QCOMPARE(caption(d, "Label7"), "");
    QVERIFY(d->isVisible());
}

void DataPortDialogTest::bodRegister_data()
{
    QTest::addColumn<Values>("adapter");
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<Commands>("expected");
    QTest::addColumn<QString>("message");

    QTest::newRow("holding time 502 writes 100")
        << Values{} << Replies{} << Edits{{"Text3", "502"}} << Commands{"AT$I41=100"} << "";
    QTest::newRow("holding time 502 with 100 stored")
        << Values{{"$I41", "100"}} << Replies{} << Edits{{"Text3", "502"}} << Commands{} << "";
    QTest::newRow("directions and boxes in order")
        << Values{} << Replies{} << Edits{{"Text5", "20"}, {"Option7", ""}, {"Text1", "050"}, {"Option1", ""}}
        << Commands{"AT%A0%D2$I42=050$I43=20"} << "";
    QTest::newRow("threshold 101 refused")
        << Values{} << Replies{} << Edits{{"Text1", "101"}, {"Option1", ""}} << Commands{} << "有効範囲は0～100(%)です";
    QTest::newRow("empty add threshold refused")
        << Values{} << Replies{} << Edits{{"Option1", ""}, {"Text1", ""}} << Commands{} << "有効範囲は0～100(%)です";
    QTest::newRow("empty delete threshold refused")
        << Values{} << Replies{} << Edits{{"Text4", ""}} << Commands{} << "有効範囲は0～100(%)です";
    QTest::newRow("empty evaluation time refused")
        << Values{} << Replies{} << Edits{{"Text5", ""}} << Commands{} << "有効範囲は1～255(秒)です";
    QTest::newRow("holding time 1280 refused")
        << Values{} << Replies{} << Edits{{"Text6", "1280"}} << Commands{} << "有効範囲は5～1275(秒)です";
    // "004" chooses no delete direction: nothing goes out for it, whatever
    // an earlier reading left in the work file.
    QTest::newRow("a direction with no choice")
        << Values{} << Replies{{"AT%D?", "004"}} << Edits{{"Option1", ""}} << Commands{"AT%A0"} << "";
}

void DataPortDialogTest::bodRegister()
{
    QFETCH(Values, adapter);
    adapter["%A"] = "1";
    Rig rig(adapter);
    rig.file.store("SLPUT", "DEL", "1");
    QFETCH(Replies, replies);
    rig.reply(replies);
    QDialog *form3 = rig.openForm3();
    QPointer<QDialog> d = Rig::detail(form3, "Command4", "Form5");
    rig.adapter.clearLog();
    QFETCH(Edits, edits);
    Rig::edit(d, edits);
    press(d, "Command2");
    QTEST(rig.adapter.log(), "expected");
    QCOMPARE(rig.session.WriteCount, 1);
    QFETCH(QString, message);
    if (message.isEmpty()) {
        QVERIFY(rig.messages.isEmpty());
        QTRY_VERIFY(d.isNull());
        QVERIFY(form3->isEnabled());
    } else {
        QCOMPARE(rig.texts(), QStringList{message});
        QCOMPARE(rig.messages[0].icon, MessageBox::Warning);
        QVERIFY(d->isVisible() && d->isEnabled());
    }
}

void DataPortDialogTest::bodSpinners_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("upper"); // the upper arrow raises
    QTest::addColumn<QString>("result");
    QTest::newRow("threshold 0 lowered") << "VScroll1" << "Text1" << "0" << false << "100";
    QTest::newRow("empty threshold raised") << "VScroll4" << "Text4" << "" << true << "1";
    QTest::newRow("evaluation 255 raised") << "VScroll2" << "Text2" << "255" << true << "1";
    QTest::newRow("holding 1275 raised") << "VScroll3" << "Text3" << "1275" << true << "5";
    QTest::newRow("holding 502 lowered") << "VScroll6" << "Text6" << "502" << false << "495";
}

void DataPortDialogTest::bodSpinners()
{
    Rig rig({{"%A", "0"}});
    QDialog *d = Rig::detail(rig.openForm3(), "Command4", "Form5");
    QFETCH(QString, box);
    QFETCH(QString, start);
    Rig::edit(d, {{box, start}});
    QFETCH(QString, bar);
    auto *scroll = Rig::find<QScrollBar>(d, bar);
    QFETCH(bool, upper);
    scroll->triggerAction(upper ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
    QTEST(Rig::find<QLineEdit>(d, box)->text(), "result");
    QCOMPARE(scroll->value(), 0);
    if (box == "Text1")
        QCOMPARE(caption(d, "Label7"), "約 8Kbps");
    QCOMPARE(rig.stored("SLPUT", "ADD_SPEED"), "6.4"); // spinners leave the work file alone
}

void DataPortDialogTest::bapReading()
{
    Rig rig({{"$I47", "5"}});
    QDialog *form3 = rig.openForm3();
    QPointer<QDialog> d = Rig::detail(form3, "Command5", "Form6");
    QCOMPARE(rig.adapter.log(), (Commands{"AT$I47?", "AT$I46?"}));
    for (const char *on : {"Option2", "Option3", "Option6", "Option8", "Option10", "Option12"})
        QVERIFY2(checked(d, on), on);
    QCOMPARE(rig.stored("BACP", "HASHIN"), "5");
    QCOMPARE(rig.stored("BACP", "CYAKU"), "7");
}

void DataPortDialogTest::bapRegister_data()
{
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<Values>("stored"); // in the work file after the reading, key -> value
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<Commands>("expected");
    // The adapter holds 5 for the calling side and 7 for the called side.
    QTest::newRow("no change") << Replies{} << Values{} << Edits{} << Commands{};
    QTest::newRow("both sides in one command") << Replies{} << Values{}
                                               << Edits{{"Option11", ""}, {"Option4", ""}, {"Option1", ""}}
                                               << Commands{"AT$I47=6$I46=3"};
    QTest::newRow("calling side only") << Replies{} << Values{} << Edits{{"Option1", ""}} << Commands{"AT$I47=4"};
    QTest::newRow("called side only") << Replies{} << Values{} << Edits{{"Option9", ""}} << Commands{"AT$I46=5"};
    // "008" chooses nothing in the right column. Untouched, that side sends
    // nothing, whatever an earlier reading left in the work file; a frame
    // chosen there counts with the others as that value has them, or as
    // answered when there is none.
    const Replies none{{"AT$I46?", "008"}};
    const Values earlier{{"CYAKU", "1"}};
    QTest::newRow("a column with no choice") << none << earlier << Edits{{"Option1", ""}} << Commands{"AT$I47=4"};
    QTest::newRow("one frame chosen there") << none << earlier << Edits{{"Option10", ""}} << Commands{"AT$I46=3"};
    QTest::newRow("one frame chosen, none stored") << none << Values{} << Edits{{"Option9", ""}} << Commands{"AT$I46=5"};
    // A work file that does not hold what the window shows: a side the read
    // filled goes out as shown, as every control the read filled does.
    QTest::newRow("untouched side, other value stored") << Replies{} << Values{{"HASHIN", "1"}}
                                                       << Edits{{"Option9", ""}} << Commands{"AT$I47=5$I46=5"};
}

void DataPortDialogTest::bapRegister()
{
    Rig rig({{"$I47", "5"}});
    QFETCH(Replies, replies);
    rig.reply(replies);
    QDialog *form3 = rig.openForm3();
    QPointer<QDialog> d = Rig::detail(form3, "Command5", "Form6");
    rig.adapter.clearLog();
    QFETCH(Values, stored);
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        rig.file.store("BACP", it.key(), it.value());
    QFETCH(Edits, edits);
    Rig::edit(d, edits);
    press(d, "Command1");
    QTEST(rig.adapter.log(), "expected");
    QCOMPARE(rig.session.WriteCount, 1);
    QTRY_VERIFY(d.isNull());
    QVERIFY(form3->isEnabled());
}

void DataPortDialogTest::operatorRoundTrip()
{
    Rig rig;
    QPointer<QDialog> form3 = rig.openForm3();
    Rig::edit(form3, {{"Text1", "0311112222"}, {"Option33", ""}, {"Option17", ""}});

    QPointer<QDialog> bod = Rig::detail(form3, "Command4", "Form5");
    rig.adapter.clearLog();
    Rig::edit(bod, {{"Option1", ""}, {"Option6", ""}});
    Rig::find<QScrollBar>(bod, "VScroll1")->triggerAction(QAbstractSlider::SliderSingleStepSub);
    Rig::find<QScrollBar>(bod, "VScroll3")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    press(bod, "Command2");
    QTRY_VERIFY(bod.isNull());
    QCOMPARE(rig.adapter.log(), Commands{"AT%A0%D1$I42=81$I41=11"});

    QPointer<QDialog> bap = Rig::detail(form3, "Command5", "Form6");
    rig.adapter.clearLog();
    Rig::edit(bap, {{"Option3", ""}, {"Option7", ""}});
    press(bap, "Command1");
    QTRY_VERIFY(bap.isNull());

    press(form3, "Command8");
    QTRY_VERIFY(form3.isNull());
    QCOMPARE(rig.session.WriteCount, 3);
    QCOMPARE(rig.adapter.log(), (Commands{"AT$I47=5$I46=6", "AT$C4=0311112222", "AT$B5=1"}));
    for (const auto &[key, value] : {std::pair{"%A", "0"}, {"%D", "1"}, {"$I42", "81"}, {"$I41", "11"},
                                     {"$I47", "5"}, {"$I46", "6"}, {"$C4", "0311112222"}, {"$B5", "1"}})
        QCOMPARE(rig.adapter.value(key), value);

    // Opened again, everything reads back.
    form3 = rig.openForm3();
    QCOMPARE(textOf(form3, "Text1"), "0311112222");
    QVERIFY(checked(form3, "Option33") && checked(form3, "Option17"));
    bod = Rig::detail(form3, "Command4", "Form5");
    QVERIFY(checked(bod, "Option1") && checked(bod, "Option6"));
    QCOMPARE(textOf(bod, "Text1"), "81");
    QCOMPARE(textOf(bod, "Text3"), "55");
    QCOMPARE(caption(bod, "Label7"), "約 6.48Kbps");
    press(bod, "Command3");
    QTRY_VERIFY(bod.isNull());
    bap = Rig::detail(form3, "Command5", "Form6");
    QVERIFY(checked(bap, "Option3") && checked(bap, "Option7") && checked(bap, "Option2"));
    press(bap, "Command2");
    QTRY_VERIFY(bap.isNull());
    press(form3, "Command7");
    QTRY_VERIFY(form3.isNull());
    QVERIFY(rig.main.isEnabled());
}

// Pictures of the three tabs and both details, for looking at the layout:
// KORVANTA_SHOTS=/some/folder.
void DataPortDialogTest::screenshots()
{
    const QString folder = qEnvironmentVariable("KORVANTA_SHOTS");
    if (folder.isEmpty())
        QSKIP("KORVANTA_SHOTS not set");
    Rig rig({{"%A", "1"}, {"$C4", "0312345678"}, {"$E4", "12"}});
    QDialog *form3 = rig.openForm3();
    auto *tabs = Rig::find<QTabWidget>(form3, "SSTab1");
    for (int tab = 0; tab < 3; ++tab) {
        tabs->setCurrentIndex(tab);
        QVERIFY(form3->grab().save(QString("%1/form3-tab%2.png").arg(folder).arg(tab)));
    }
    QDialog *bod = Rig::detail(form3, "Command4", "Form5");
    QVERIFY(bod->grab().save(folder + "/form5.png"));
    press(bod, "Command3");
    QDialog *bap = Rig::detail(form3, "Command5", "Form6");
    QVERIFY(bap->grab().save(folder + "/form6.png"));
}

QTEST_MAIN(DataPortDialogTest)
#include "dataportdialog_test.moc"
