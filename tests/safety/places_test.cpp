// SPDX-License-Identifier: GPL-3.0-or-later
// The programs copied into a scratch folder as a package installs them, as
// the build leaves them, and as a copy of their own: where each keeps its
// work file when none is named (an installed program never under its prefix,
// however writable the prefix is, as for root; the command line one for each
// port beside it), and the simulated adapter in both programs and the
// screenshot tour, which leave the user's work file as it was, byte for byte.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

enum class Layout { Installed, BuildTree, OwnFolder };

const QByteArray kOwnersFile = "[TEL1]\nJIKO_NO=0312345678\nHASHIN=4\n";

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

// The programs in prefix/bin of a scratch folder, with a home of their own.
struct Copy {
    explicit Copy(Layout layout)
    {
        for (const QString &folder : {bin, home, tmp, runtime})
            QDir().mkpath(folder);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QDir built(qEnvironmentVariable("KORVANTA_BIN_DIR"));
        QStringList files{"korvanta", "korvanta-cli", "korvanta.hlp"};
        if (layout == Layout::BuildTree)
            files << "korvanta-build-tree"; // as the build leaves it
        for (const QString &name : files)
            copied = copied && QFile::copy(built.filePath(name), QDir(bin).filePath(name));
        if (layout == Layout::Installed) // the help file where a package puts it
            copied = copied && QDir().mkpath(prefix + "/share/korvanta")
                     && QFile::rename(bin + "/korvanta.hlp", prefix + "/share/korvanta/korvanta.hlp");
    }

    int run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XDG_DATA_HOME");
        const QStringList own{"HOME", home, "TMPDIR", tmp, "XDG_RUNTIME_DIR", runtime, "QT_QPA_PLATFORM", "offscreen"};
        for (int i = 0; i < own.size(); i += 2)
            env.insert(own[i], own[i + 1]);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QDir(bin).filePath(program), arguments);
        process.waitForFinished(240000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QStringList inBin() const { return QDir(bin).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }

    QTemporaryDir dir;
    const QString prefix = dir.filePath("prefix"), bin = prefix + "/bin", home = dir.filePath("home"),
                  tmp = dir.filePath("tmp"), runtime = dir.filePath("runtime");
    const QString beside = bin + "/mail.ini", userData = home + "/.local/share/korvanta/mail.ini";
    bool copied = true;
};

} // namespace

class PlacesTest : public QObject {
    Q_OBJECT

private slots:
    void workFileByWhereTheProgramIs_data();
    void workFileByWhereTheProgramIs();
    void simulatorLeavesTheWorkFileAlone();
};

void PlacesTest::workFileByWhereTheProgramIs_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("leftBeside"); // a mail.ini beside the program before the run
    QTest::addColumn<bool>("useBeside");  // the work file used is the one beside the program
    QTest::newRow("installed") << int(Layout::Installed) << false << false;
    QTest::newRow("installed, a mail.ini left under the prefix") << int(Layout::Installed) << true << false;
    QTest::newRow("build tree") << int(Layout::BuildTree) << false << true;
    QTest::newRow("a folder of its own") << int(Layout::OwnFolder) << false << false;
    QTest::newRow("a folder of its own with its mail.ini") << int(Layout::OwnFolder) << true << true;
}

void PlacesTest::workFileByWhereTheProgramIs()
{
    QFETCH(int, layout);
    QFETCH(bool, leftBeside);
    QFETCH(bool, useBeside);
    Copy copy{Layout(layout)};
    QVERIFY(copy.copied);
    QFile left(copy.beside);
    QVERIFY(!leftBeside || (left.open(QIODevice::WriteOnly) && left.write(kOwnersFile) == kOwnersFile.size()));
    left.close();
    const QStringList before = copy.inBin();

    QProcess sim;
    sim.start(QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath("korvanta-sim"), QStringList{});
    QVERIFY(sim.waitForStarted(5000) && sim.waitForReadyRead(5000));
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QCOMPARE(copy.run("korvanta-cli", {"--port", device, "backup", copy.dir.filePath("profile.ini")}), 0);
    sim.kill();
    sim.waitForFinished();

    // The adapter's values, its own number empty, in the port's own file
    // beside where mail.ini is kept; mail.ini itself untouched.
    const QString portFile = "/workfiles/" + device.mid(5).replace('/', '_') + ".ini";
    const QByteArray used = readAll(QFileInfo(useBeside ? copy.beside : copy.userData).path() + portFile);
    QVERIFY2(used.contains("[TEL1]") && !used.contains("0312345678"), used.constData());
    QCOMPARE(readAll(QFileInfo(useBeside ? copy.userData : copy.beside).path() + portFile), "(none)");
    QCOMPARE(readAll(copy.beside), leftBeside ? kOwnersFile : "(none)");
    if (!useBeside)
        QCOMPARE(copy.inBin(), before);
}

void PlacesTest::simulatorLeavesTheWorkFileAlone()
{
    Copy copy{Layout::Installed};
    QVERIFY(copy.copied);
    QDir().mkpath(QFileInfo(copy.userData).path());
    QFile user(copy.userData);
    QVERIFY(user.open(QIODevice::WriteOnly) && user.write(kOwnersFile) == kOwnersFile.size());
    user.close();
    const QStringList before = copy.inBin();

    // The tour, and both programs on the simulated adapter.
    QCOMPARE(copy.run("korvanta", {"--screenshots", copy.dir.filePath("shots")}), 0);
    QCOMPARE(copy.run("korvanta-cli", {"--simulate", "backup", copy.dir.filePath("profile.ini")}), 0);
    QCOMPARE(copy.run("korvanta", {"--simulate", "--auto-port", "1", "--exit-after-start"}), 0);

    QVERIFY(QFile::exists(copy.dir.filePath("shots/HelpWindow.png")));
    QCOMPARE(readAll(copy.userData), kOwnersFile);
    QCOMPARE(QDir(QFileInfo(copy.userData).path()).entryList(QDir::Files | QDir::Hidden), QStringList{"mail.ini"});
    QCOMPARE(copy.inBin(), before);
    // The tour's own work file went with its temporary folder.
    QCOMPARE(QDir(copy.tmp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

QTEST_MAIN(PlacesTest)
#include "places_test.moc"
