// SPDX-License-Identifier: GPL-3.0-or-later
// The work file under bad conditions, through a settings window and through
// the utility itself: missing, empty, garbage, binary, very large, a folder
// where the file should be, in a folder that cannot be written, left locked by
// a utility that was killed. The window reads and registers as usual, and
// writes only what the operator changed: the snapshot of the read is kept for
// the run even where the disk cannot hold it.

#include "tests/safety/safety.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>

using namespace korvanta;

namespace {

enum class Disk { Writable, Unwritable };

void writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

QString program(const char *name)
{
    return QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath(QString::fromLatin1(name));
}

void startUtility(QProcess &utility, const QString &workFile, const QStringList &extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    utility.setProcessEnvironment(env);
    utility.start(program("korvanta"),
                  QStringList{"--simulate", "--auto-port", "1", "--workfile", workFile} + extra);
}

} // namespace

class WorkFileAppTest : public QObject {
    Q_OBJECT

private slots:
    void telephoneWindowOnABadWorkFile_data();
    void telephoneWindowOnABadWorkFile();
    void utilityStartsWhereTheFolderCannotBeWritten();
    void aKilledUtilityDoesNotLockTheFileForever();
};

void WorkFileAppTest::telephoneWindowOnABadWorkFile_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<int>("disk");
    QTest::newRow("missing") << "missing" << int(Disk::Writable);
    QTest::newRow("empty") << "empty" << int(Disk::Writable);
    QTest::newRow("garbage") << "garbage" << int(Disk::Writable);
    QTest::newRow("binary") << "binary" << int(Disk::Writable);
    QTest::newRow("10 MB") << "10 MB" << int(Disk::Writable);
    QTest::newRow("a folder in its place") << "folder" << int(Disk::Unwritable);
    QTest::newRow("folder cannot be written") << "unwritable folder" << int(Disk::Unwritable);
}

void WorkFileAppTest::telephoneWindowOnABadWorkFile()
{
    QFETCH(QString, condition);
    QFETCH(int, disk);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("mail.ini"));
    if (condition == QLatin1String("empty")) {
        writeAll(path, {});
    } else if (condition == QLatin1String("garbage")) {
        writeAll(path, "[[[\n=\n]]]=\n[TEL1\nJIKO_NO\n==4\n\xff\xfe[\n[TEL1]\nJIKO_NO=03\r\r\rSUB_NO");
    } else if (condition == QLatin1String("binary")) {
        QByteArray bytes(64 * 1024, '\0');
        QRandomGenerator rng(8);
        for (char &c : bytes)
            c = char(rng.bounded(256));
        writeAll(path, bytes);
    } else if (condition == QLatin1String("10 MB")) {
        writeAll(path, "[TEL1]\nJIKO_NO=" + QByteArray(10 * 1024 * 1024, '7') + "\n");
    } else if (condition == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("mail.ini")));
    } else if (condition == QLatin1String("unwritable folder")) {
        writeAll(dir.filePath(QStringLiteral("notafolder")), "x"); // a file: nothing can be made inside
        path = dir.filePath(QStringLiteral("notafolder/mail.ini"));
    }

    safety::Bench bench(path);
    bench.adapter.setValue(QStringLiteral("$C1"), QStringLiteral("0311112222"));
    QWidget opener;
    QPointer<SettingsDialog> dialog = safety::window(QStringLiteral("Form2")).open(*bench.session, &opener);
    dialog->openAndRead();
    QVERIFY(dialog);
    QCOMPARE(bench.session->ReadFailed, 0);
    auto *own = dialog->findChild<QLineEdit *>(QStringLiteral("Text2"));
    QCOMPARE(own->text(), QStringLiteral("0311112222"));

    own->setText(QStringLiteral("0312"));
    bench.adapter.clearLog();
    safety::registerButton(dialog)->click();
    QTRY_VERIFY(dialog.isNull());
    // Only the change: what the read found is remembered, disk or no disk.
    QCOMPARE(bench.adapter.log(), QList<QByteArray>{"AT$C1=0312"});
    QCOMPARE(bench.adapter.value(QStringLiteral("$C1")), QStringLiteral("0312"));
    QVERIFY2(bench.messages.isEmpty(), qPrintable(bench.messages.join('|')));

    if (disk == int(Disk::Writable)) {
        // A sound file now, whatever was there before, with what the read found.
        bench.work->flush();
        QVERIFY(QFileInfo(path).size() < 64 * 1024);
        WorkFile again(path);
        QCOMPARE(again.fetch(QStringLiteral("TEL1"), QStringLiteral("JIKO_NO")), QStringLiteral("0311112222"));
    } else {
        QVERIFY(!QFileInfo(path).isFile());
        QVERIFY(!bench.work->lastSaveOk());
    }
}

void WorkFileAppTest::utilityStartsWhereTheFolderCannotBeWritten()
{
    QTemporaryDir dir;
    writeAll(dir.filePath(QStringLiteral("notafolder")), "x");
    QProcess utility;
    startUtility(utility, dir.filePath(QStringLiteral("notafolder/mail.ini")), {"--exit-after-start"});
    QVERIFY(utility.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(utility.readAllStandardError());
    QVERIFY2(utility.exitStatus() == QProcess::NormalExit && utility.exitCode() == 0, qPrintable(err));
    QVERIFY(QString::fromLocal8Bit(utility.readAllStandardOutput()).contains(QStringLiteral("main window shown")));
}

void WorkFileAppTest::aKilledUtilityDoesNotLockTheFileForever()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mail.ini"));
    {
        QProcess first;
        startUtility(first, path, {});
        QVERIFY(first.waitForReadyRead(60000)); // identified, main window up
        QVERIFY(QFile::exists(path + QStringLiteral(".lock")));
        first.kill(); // no chance to tidy up
        QVERIFY(first.waitForFinished(10000));
    }
    QVERIFY(QFile::exists(path + QStringLiteral(".lock")));
    QProcess second;
    startUtility(second, path, {"--exit-after-start"});
    QVERIFY(second.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(second.readAllStandardError());
    QVERIFY2(second.exitCode() == 0, qPrintable(err));
    QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));
}

QTEST_MAIN(WorkFileAppTest)
#include "workfile_app_test.moc"
