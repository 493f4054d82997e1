// The programs copied into a scratch folder as a package installs them, as
// the build leaves them, and as a copy of their own: where each keeps its
// work file when none is named (an installed program never under its prefix,
// however writable the prefix is, as for root), and the screenshot tour of
// every window, which leaves the user's work file as it was, byte for byte,
// and nothing behind but its pictures.

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

enum class Layout { Installed, BuildTree, OwnFolder };

QString built(const QString &name)
{
    return QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath(name);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

void writeAll(const QString &path, const QByteArray &data)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

// Every file and folder under dir, with its size and time of change.
QStringList contents(const QString &dir)
{
    QStringList all;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        all << QStringLiteral("%1 %2 %3")
                   .arg(QDir(dir).relativeFilePath(info.filePath()))
                   .arg(info.isDir() ? 0 : info.size())
                   .arg(info.lastModified().toMSecsSinceEpoch());
    }
    all.sort();
    return all;
}

// The programs in prefix/bin of a scratch folder, with a home of their own.
struct Copy {
    explicit Copy(Layout layout)
    {
        for (const QString &dir : {bin, share, home, tmp, runtime})
            QDir().mkpath(dir);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const char *program : {"korvanta", "korvanta-cli"})
            copied = copied && QFile::copy(built(program), QDir(bin).filePath(QString::fromLatin1(program)));
        // The help file where each layout has it; the build tree's marker
        // comes from the build tree itself.
        const QString help = QDir(layout == Layout::Installed ? share : bin).filePath("korvanta.hlp");
        copied = copied && QFile::copy(built("korvanta.hlp"), help);
        if (layout == Layout::BuildTree)
            copied = copied && QFile::copy(built("korvanta-build-tree"), QDir(bin).filePath("korvanta-build-tree"));
        if (layout != Layout::Installed)
            QDir(share).removeRecursively();
    }

    int run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XDG_DATA_HOME");
        env.insert("HOME", home);
        env.insert("TMPDIR", tmp);
        env.insert("XDG_RUNTIME_DIR", runtime);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QDir(bin).filePath(program), arguments);
        if (!process.waitForFinished(240000))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir dir;
    const QString prefix = dir.filePath("prefix");
    const QString bin = prefix + "/bin";
    const QString share = prefix + "/share/korvanta";
    const QString home = dir.filePath("home");
    const QString tmp = dir.filePath("tmp");
    const QString runtime = dir.filePath("runtime");
    const QString userData = home + "/.local/share/korvanta/mail.ini";
    bool copied = true;
};

const QByteArray kOwnersFile = "[TEL1]\nJIKO_NO=0312345678\nHASHIN=4\n[DATA]\nJIKO_NO=0398765432\n";

} // namespace

class PlacesTest : public QObject {
    Q_OBJECT

private slots:
    void workFileByWhereTheProgramIs_data();
    void workFileByWhereTheProgramIs();
    void screenshotTourLeavesTheWorkFileAlone();
};

void PlacesTest::workFileByWhereTheProgramIs_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("leftBeside"); // a mail.ini beside the program before the run
    QTest::addColumn<bool>("beside");     // the work file used is the one beside the program
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
    QFETCH(bool, beside);
    Copy copy{Layout(layout)};
    QVERIFY(copy.copied);
    const QString besidePath = QDir(copy.bin).filePath("mail.ini");
    if (leftBeside)
        writeAll(besidePath, kOwnersFile);
    const QStringList before = contents(copy.prefix);

    QCOMPARE(copy.run("korvanta-cli", {"--simulate", "backup", copy.dir.filePath("profile.ini")}), 0);

    const QString used = beside ? besidePath : copy.userData;
    const QString unused = beside ? copy.userData : besidePath;
    // The simulated adapter's values, its own number empty.
    QVERIFY2(readAll(used).contains("[TEL1]") && !readAll(used).contains("0312345678"), qPrintable(used));
    QCOMPARE(readAll(unused), leftBeside && !beside ? kOwnersFile : QByteArray("(none)"));
    if (!beside)
        QCOMPARE(contents(copy.prefix), before);
}

void PlacesTest::screenshotTourLeavesTheWorkFileAlone()
{
    Copy copy{Layout::Installed};
    QVERIFY(copy.copied);
    writeAll(copy.userData, kOwnersFile);
    const QStringList before = contents(copy.prefix);
    const QString shots = copy.dir.filePath("shots");

    QCOMPARE(copy.run("korvanta", {"--screenshots", shots}), 0);

    QVERIFY(QFile::exists(QDir(shots).filePath("Form1.png")));
    QVERIFY(QFile::exists(QDir(shots).filePath("HelpWindow.png")));
    QCOMPARE(readAll(copy.userData), kOwnersFile);
    QCOMPARE(QDir(QFileInfo(copy.userData).path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"mail.ini"});
    QCOMPARE(contents(copy.prefix), before);
    QCOMPARE(contents(copy.tmp), QStringList()); // its own work file went with its folder
}

QTEST_MAIN(PlacesTest)
#include "places_test.moc"
