// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session/messages.h"
#include "link/session/session.h"
#include "shortdial/shortdialdialog.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "tests/replacinglink.h"
#include "workfile/workfile.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTest>

using namespace korvanta;
using namespace korvanta::shortdial;
using korvanta::sim::SimulatedAdapter;
using korvanta::sim::SimulatedLink;

using Commands = QList<QByteArray>;
using Values = QMap<int, QString>; // entry -> wire form
using Edits = QMap<int, korvanta::shortdial::Entry>;

namespace {
// One utility run against one simulated adapter, with its own work file.
struct Rig {
    QTemporaryDir dir;
    SimulatedAdapter adapter;
    SimulatedLink simLink{adapter};
    ReplacingLink link{simLink};
    WorkFile file{dir.filePath(QStringLiteral("mail.ini"))};
    Session session{link, file};
    QWidget opener;
    QStringList messages;

    Rig()
    {
        link.open();
        Messages::setHandler([this](const MessageRequest &r) {
            messages << r.text;
            return MessageBox::Ok;
        });
    }
    ~Rig() { Messages::setHandler(nullptr); }

    void hold(const Values &entries)
    {
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            QVERIFY(adapter.setValue(QStringLiteral("&Z%1").arg(it.key()), it.value()));
    }

    QPointer<ShortDialDialog> open()
    {
        adapter.clearLog();
        auto *dialog = new ShortDialDialog(session, &opener);
        dialog->openAndRead();
        return dialog;
    }

    // The work file's entries as a fresh reader finds them on disk; missing
    // keys are left out.
    Values workFile() const
    {
        file.flush();
        const WorkFile fresh(file.path());
        Values values;
        for (int i = 0; i < kEntryCount; ++i) {
            const QString v = fresh.fetch(kSection, QString::fromLatin1(kEntryRows[i].key), QStringLiteral("<none>"));
            if (v != QStringLiteral("<none>"))
                values[i] = v;
        }
        return values;
    }
};

QLineEdit *numberBox(QWidget *dialog, int entry)
{
    return dialog->findChild<QLineEdit *>(QString::fromLatin1(kEntryRows[entry].numberBox));
}
QLineEdit *subaddressBox(QWidget *dialog, int entry)
{
    return dialog->findChild<QLineEdit *>(QString::fromLatin1(kEntryRows[entry].subaddressBox));
}

// The wire forms the dialog's boxes show, empty entries left out.
Values shown(QWidget *dialog)
{
    Values values;
    for (int i = 0; i < kEntryCount; ++i) {
        const QString wire = wireForm({numberBox(dialog, i)->text(), subaddressBox(dialog, i)->text()});
        if (!wire.isEmpty())
            values[i] = wire;
    }
    return values;
}

void edit(QWidget *dialog, const Edits &edits)
{
    for (auto it = edits.cbegin(); it != edits.cend(); ++it) {
        numberBox(dialog, it.key())->setText(it.value().number);
        subaddressBox(dialog, it.key())->setText(it.value().subaddress);
    }
}

void press(QWidget *dialog, const char *button)
{
    auto *b = dialog->findChild<QPushButton *>(QString::fromLatin1(button));
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

Values allEmpty()
{
    Values v;
    for (int i = 0; i < kEntryCount; ++i)
        v[i] = QString();
    return v;
}

Values with(Values base, const Values &changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        base[it.key()] = it.value();
    return base;
}

// Twenty different entries of 32 and 20 characters.
Values fullDirectory(char variant)
{
    Values v;
    for (int i = 0; i < kEntryCount; ++i)
        v[i] = QStringLiteral("0%1-(%2)#").arg(i, 2, 10, QLatin1Char('0')).arg(variant).leftJustified(32, '9')
            + '*' + QStringLiteral("*#%1%2").arg(i).arg(variant).leftJustified(20, '7');
    return v;
}
} // namespace

class ShortDialDialogTest : public QObject {
    Q_OBJECT

private slots:
    void readFillsBoxesAndWorkFile();
    void replacedReplies_data();
    void replacedReplies();
    void writes_data();
    void writes();
    void writeTimeoutStopsAtTheEntry();
    void failedReadStillOpens_data();
    void failedReadStillOpens();
    void cancelSendsNothing_data();
    void cancelSendsNothing();
    void fullDirectoryRoundTrip();
    void keyFilters();
    void pastedAndComposedTextScreened();
    void captionsAndNames();
    void helpOpensAtItsTopic();
};

void ShortDialDialogTest::readFillsBoxesAndWorkFile()
{
    Rig rig;
    rig.hold({{3, "0312345678"}, {5, "0312*34#"}, {19, "(03)1-2#*#*"}});
    rig.file.store(kSection, QStringLiteral("03"), QStringLiteral("stale"));
    rig.session.ReadFailed = 1;
    auto dialog = rig.open();

    QCOMPARE(rig.adapter.log(), Commands{readCommand()});
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(rig.session.ReadFailed, 0);
    QVERIFY(!rig.opener.isEnabled());
    QVERIFY(dialog->isVisible() && dialog->isEnabled());
    const Values held{{3, "0312345678"}, {5, "0312*34#"}, {19, "(03)1-2#*#*"}};
    QCOMPARE(shown(dialog), held);
    QCOMPARE(subaddressBox(dialog, 19)->text(), QStringLiteral("#*")); // split at the first "*"
    QCOMPARE(rig.workFile(), with(allEmpty(), held)); // "07:" and the like store empty values
}

void ShortDialDialogTest::replacedReplies_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<Values>("boxes");
    QTest::addColumn<Values>("stored");
    QTest::addColumn<Commands>("sentUnchanged"); // by "登録" with nothing edited

    QTest::newRow("lines out of order") << QByteArray("\r\n12:1212\r\n\r\n03:0303*9\r\n\r\n07:\r\n")
                                        << Values{{12, "1212"}, {3, "0303*9"}}
                                        << Values{{12, "1212"}, {3, "0303*9"}, {7, ""}} << Commands{};
    // The line's "*" with nothing after it is stored but not shown, so the entry
    // differs from the work file and goes out again unedited.
    QTest::newRow("entry ending in a star") << QByteArray("\r\n08:0311*\r\n") << Values{{8, "0311"}}
                                            << Values{{8, "0311*"}} << Commands{"AT&Z8=0311"};
    // Longer than the boxes' 32 and 20 characters: shown whole, as stored.
    const QString longEntry = QString(40, '1') + '*' + QString(25, '2');
    QTest::newRow("entry longer than its boxes") << "\r\n04:" + longEntry.toLatin1() + "\r\n"
                                                 << Values{{4, longEntry}} << Values{{4, longEntry}} << Commands{};
}

void ShortDialDialogTest::replacedReplies()
{
    QFETCH(QByteArray, lines);
    QFETCH(Values, boxes);
    QFETCH(Values, stored);
    QFETCH(Commands, sentUnchanged);
    Rig rig;
    rig.link.replies[readCommand()] = readCommand() + '\r' + lines + "\r\nOK\r\n";
    auto dialog = rig.open();
    QCOMPARE(shown(dialog), boxes);
    QCOMPARE(rig.workFile(), stored);

    press(dialog, "Command7");
    QCOMPARE(rig.adapter.log(), Commands{readCommand()} + sentUnchanged);
    QTRY_VERIFY(!dialog);
    QCOMPARE(rig.workFile(), stored);
}

void ShortDialDialogTest::writes_data()
{
    QTest::addColumn<Values>("held");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<Commands>("sent");

    const Values held{{0, "0311*22"}, {3, "0312345678"}};
    QTest::newRow("no change") << held << Edits{} << Commands{};
    QTest::newRow("number only") << held << Edits{{3, {"0311112222", ""}}} << Commands{"AT&Z3=0311112222"};
    QTest::newRow("number and subaddress") << held << Edits{{5, {"0312", "34#*"}}} << Commands{"AT&Z5=0312*34#*"};
    QTest::newRow("subaddress removed") << held << Edits{{0, {"0311", ""}}} << Commands{"AT&Z0=0311"};
    QTest::newRow("entry cleared") << held << Edits{{0, {"", ""}}} << Commands{"AT&Z0="};
    QTest::newRow("changes go out from 00 to 19")
        << held << Edits{{15, {"15", ""}}, {2, {"2", "2"}}, {10, {"(10)", ""}}, {3, {"", ""}}}
        << Commands{"AT&Z2=2*2", "AT&Z3=", "AT&Z10=(10)", "AT&Z15=15"};
}

void ShortDialDialogTest::writes()
{
    QFETCH(Values, held);
    QFETCH(Edits, edits);
    QFETCH(Commands, sent);
    Rig rig;
    rig.hold(held);
    auto dialog = rig.open();
    edit(dialog, edits);
    press(dialog, "Command7");

    QCOMPARE(rig.adapter.log(), Commands{readCommand()} + sent);
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(rig.session.WriteCount, 1);
    QTRY_VERIFY(!dialog);
    QVERIFY(rig.opener.isEnabled());
    QCOMPARE(rig.workFile(), with(allEmpty(), held)); // still the values of the read
    Values now = held;
    for (auto it = edits.cbegin(); it != edits.cend(); ++it)
        now[it.key()] = wireForm(it.value());
    for (int i = 0; i < kEntryCount; ++i)
        QCOMPARE(rig.adapter.value(QStringLiteral("&Z%1").arg(i)), now.value(i));
}

void ShortDialDialogTest::writeTimeoutStopsAtTheEntry()
{
    Rig rig;
    rig.session.timing.setDeadlineMs = 500;
    sim::Faults faults;
    faults.errorFor = {"AT&Z12=*"}; // an ERROR is not an acknowledgement: it runs into the deadline
    rig.adapter.setFaults(faults);
    auto dialog = rig.open();
    const Edits edits{{0, {"00", ""}}, {11, {"11", ""}}, {12, {"12", "1"}}, {13, {"13", ""}}, {19, {"19", ""}}};
    edit(dialog, edits);

    press(dialog, "Command7");
    const Commands upTo12{readCommand(), "AT&Z0=00", "AT&Z11=11", "AT&Z12=12*1"};
    QCOMPARE(rig.adapter.log(), upTo12);
    QCOMPARE(rig.messages, QStringList{kReceiveFailed});
    QCOMPARE(rig.session.WriteCount, 1);
    QVERIFY(dialog && dialog->isVisible() && dialog->isEnabled());
    QVERIFY(!rig.opener.isEnabled());
    QCOMPARE(shown(dialog), (Values{{0, "00"}, {11, "11"}, {12, "12*1"}, {13, "13"}, {19, "19"}}));

    // The baseline is still the read: every entry that differs goes out again.
    rig.adapter.setFaults({});
    press(dialog, "Command7");
    QCOMPARE(rig.adapter.log(), upTo12 + Commands({"AT&Z0=00", "AT&Z11=11", "AT&Z12=12*1", "AT&Z13=13", "AT&Z19=19"}));
    QCOMPARE(rig.session.WriteCount, 2);
    QTRY_VERIFY(!dialog);
    QCOMPARE(rig.workFile(), allEmpty());
}

void ShortDialDialogTest::failedReadStillOpens_data()
{
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<Commands>("sent");
    QTest::newRow("nothing changed") << Edits{} << Commands{};
    QTest::newRow("an entry typed") << Edits{{5, {"0311", "2"}}} << Commands{"AT&Z5=0311*2"};
}

void ShortDialDialogTest::failedReadStillOpens()
{
    Rig rig;
    rig.session.timing.queryDeadlineMs = 300;
    rig.file.store(kSection, QStringLiteral("03"), QStringLiteral("0399"));
    sim::Faults silent;
    silent.silent = true;
    rig.adapter.setFaults(silent);
    rig.session.ReadFailed = 1;
    auto dialog = rig.open();

    QCOMPARE(rig.messages, QStringList{kReceiveFailed});
    QCOMPARE(rig.session.ReadFailed, 0); // the main window never closes this dialog
    QVERIFY(dialog && dialog->isVisible() && dialog->isEnabled());
    QCOMPARE(shown(dialog), Values{});
    QCOMPARE(rig.workFile(), (Values{{3, "0399"}}));
    const auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("登録２（読み込めませんでした）"));

    // The empty boxes no read filled send nothing against what an earlier
    // read left; what the operator types goes out.
    rig.adapter.setFaults({});
    QFETCH(Edits, edits);
    edit(dialog, edits);
    press(dialog, "Command7");
    QFETCH(Commands, sent);
    QCOMPARE(rig.adapter.log(), Commands{readCommand()} + sent);
    QTRY_VERIFY(!dialog);
    QCOMPARE(rig.workFile(), (Values{{3, "0399"}}));
}

void ShortDialDialogTest::cancelSendsNothing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("キャンセル") << 0;
    QTest::newRow("window frame") << 1;
    QTest::newRow("Escape") << 2;
}

void ShortDialDialogTest::cancelSendsNothing()
{
    QFETCH(int, how);
    Rig rig;
    rig.hold({{1, "0311"}});
    auto dialog = rig.open();
    edit(dialog, {{1, {"0322", ""}}, {4, {"44", "4"}}});
    if (how == 0)
        press(dialog, "Command6");
    else if (how == 1)
        dialog->close();
    else
        QTest::keyClick(numberBox(dialog, 1), Qt::Key_Escape);
    QTRY_VERIFY(!dialog);
    QCOMPARE(rig.adapter.log(), Commands{readCommand()});
    QCOMPARE(rig.session.WriteCount, 0);
    QVERIFY(rig.opener.isEnabled());
    QCOMPARE(rig.workFile(), with(allEmpty(), {{1, "0311"}}));
}

void ShortDialDialogTest::fullDirectoryRoundTrip()
{
    Rig rig;
    const Values first = fullDirectory('1'), second = fullDirectory('2');
    rig.hold(first);
    auto dialog = rig.open();
    QCOMPARE(shown(dialog), first);
    QCOMPARE(rig.workFile(), first);

    if (const QString dir = qEnvironmentVariable("KORVANTA_SCREENSHOT_DIR"); !dir.isEmpty()) {
        auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
        for (int t = 0; t < 2; ++t) {
            tabs->setCurrentIndex(t);
            QVERIFY(dialog->grab().save(QDir(dir).filePath(QStringLiteral("Form4-tab%1.png").arg(t))));
        }
        tabs->setCurrentIndex(0);
    }

    Commands expected{readCommand()};
    Edits edits;
    for (int i = 0; i < kEntryCount; ++i) {
        const int star = second[i].indexOf('*');
        edits[i] = {second[i].left(star), second[i].mid(star + 1)};
        expected << "AT&Z" + QByteArray::number(i) + '=' + second[i].toLatin1();
    }
    edit(dialog, edits);
    press(dialog, "Command7");
    QCOMPARE(rig.adapter.log(), expected);
    QTRY_VERIFY(!dialog);

    auto again = rig.open();
    QCOMPARE(shown(again), second);
    QCOMPARE(rig.workFile(), second);
    press(again, "Command7");
    QCOMPARE(rig.adapter.log(), Commands{readCommand()});
}

void ShortDialDialogTest::keyFilters()
{
    Rig rig;
    auto dialog = rig.open();
    // Every box of both tabs: what typing the probe leaves, and the longest text.
    const QString probe = QStringLiteral("a 1-(2)#*3.\t9");
    for (int i = 0; i < kEntryCount; ++i) {
        const struct {
            QLineEdit *box;
            QString kept;
            int maxLength;
            QString admitted;
        } kinds[] = {{numberBox(dialog, i), QStringLiteral("1-(2)#39"), 32, QStringLiteral("0123456789-()#")},
                     {subaddressBox(dialog, i), QStringLiteral("12#*39"), 20, QStringLiteral("0123456789#*")}};
        for (const auto &k : kinds) {
            QVERIFY(k.box);
            // A full-length text of any admitted character is shown whole.
            const int frame = k.box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, k.box);
            for (const QChar c : k.admitted)
                QVERIFY2(k.box->fontMetrics().horizontalAdvance(QString(k.maxLength, c)) + 2 * frame + 4
                             <= k.box->width(),
                         qPrintable(k.box->objectName() + c));
            QTest::keyClicks(k.box, probe);
            QCOMPARE(k.box->text(), k.kept);
            QTest::keyClick(k.box, Qt::Key_Backspace);
            QCOMPARE(k.box->text(), k.kept.chopped(1));
            k.box->clear();
            QTest::keyClicks(k.box, QString(k.maxLength + 1, QLatin1Char('5')));
            QCOMPARE(k.box->text(), QString(k.maxLength, QLatin1Char('5')));
        }
    }
}

void ShortDialDialogTest::pastedAndComposedTextScreened()
{
    Rig rig;
    auto dialog = rig.open();
    QLineEdit *number = numberBox(dialog, 12), *subaddress = subaddressBox(dialog, 12);
    number->setText(QStringLiteral("03"));
    subaddress->setText(QStringLiteral("1"));
    const struct {
        QLineEdit *box;
        QString text;
        QString after;
    } pastes[] = {
        {number, QStringLiteral("-45"), QStringLiteral("03-45")},
        {number, QStringLiteral("6*7"), QStringLiteral("03-45")},
        {number, QStringLiteral("&F"), QStringLiteral("03-45")},
        {subaddress, QStringLiteral("*#2"), QStringLiteral("1*#2")},
        {subaddress, QStringLiteral("(3)"), QStringLiteral("1*#2")},
    };
    for (const auto &p : pastes) {
        QApplication::clipboard()->setText(p.text);
        p.box->end(false);
        p.box->paste();
        QCOMPARE(p.box->text(), p.after);
    }
    // Full-width digits from an input method are refused as well.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("１２"));
    QApplication::sendEvent(number, &commit);
    QCOMPARE(number->text(), QStringLiteral("03-45"));
}

void ShortDialDialogTest::captionsAndNames()
{
    Rig rig;
    auto dialog = rig.open();
    QCOMPARE(dialog->objectName(), QStringLiteral("Form4"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("短縮番号登録"));
    auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(0), QStringLiteral("登録１  "));
    QCOMPARE(tabs->tabText(1), QStringLiteral("登録２  "));

    // Name, caption, and the tab each label stands on.
    const struct {
        const char *name;
        const char *caption;
        int tab;
    } labels[] = {
        {"Label1", "電話番号", 0}, {"Label2", "サブアドレス", 0}, {"Label14", "電話番号", 1},
        {"Label13", "サブアドレス", 1}, {"Label3", "00:", 0}, {"Label12", "09:", 0},
        {"Label15", "10:", 1}, {"Label16", "11:", 1}, {"Label24", "12:", 1},
        {"Label17", "13:", 1}, {"Label23", "19:", 1},
    };
    for (const auto &l : labels) {
        auto *label = dialog->findChild<QLabel *>(QString::fromLatin1(l.name));
        QVERIFY2(label, l.name);
        QCOMPARE(label->text(), QString::fromUtf8(l.caption));
        QVERIFY(tabs->widget(l.tab)->isAncestorOf(label));
    }
    for (const char *box : {"Text1", "Text20", "Text11", "Text10"})
        QVERIFY(tabs->widget(0)->isAncestorOf(dialog->findChild<QLineEdit *>(QString::fromLatin1(box))));
    for (const char *box : {"Text21", "Text30", "Text31", "Text40"})
        QVERIFY(tabs->widget(1)->isAncestorOf(dialog->findChild<QLineEdit *>(QString::fromLatin1(box))));

    const struct {
        const char *name;
        const char *caption;
    } buttons[] = {{"Command7", "登録"}, {"Command6", "キャンセル"}, {"Command5", "ヘルプ"}};
    int lastX = -1;
    for (const auto &b : buttons) {
        auto *button = dialog->findChild<QPushButton *>(QString::fromLatin1(b.name));
        QVERIFY2(button, b.name);
        QCOMPARE(button->text(), QString::fromUtf8(b.caption));
        QVERIFY(button->x() > lastX); // left to right
        QVERIFY(button->y() > tabs->geometry().bottom());
        lastX = button->x();
    }
}

void ShortDialDialogTest::helpOpensAtItsTopic()
{
    Rig rig;
    QFile help(rig.dir.filePath(QStringLiteral("korvanta.hlp")));
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.write("<html><body><a name=\"1\"></a>1<a name=\"10\"></a>10</body></html>");
    help.close();
    rig.session.helpFileOverride = help.fileName();
    auto dialog = rig.open();
    press(dialog, "Command5");
    QTextBrowser *text = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("HelpWindow") && w->isVisible())
            text = w->findChild<QTextBrowser *>();
    QVERIFY(text);
    QCOMPARE(text->source().fragment(), QStringLiteral("10"));
    QCOMPARE(rig.adapter.log(), Commands{readCommand()});
}

QTEST_MAIN(ShortDialDialogTest)
#include "shortdialdialog_test.moc"
