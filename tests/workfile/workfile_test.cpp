// SPDX-License-Identifier: GPL-3.0-or-later
#include "workfile/workfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace korvanta;

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
} // namespace

class WorkFileTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); m_path = m_dir.filePath(QStringLiteral("mail.ini")); QFile::remove(m_path); }

    void missingFileGivesDefaultsAndTheFirstStoreCreatesIt();
    void namesAreCaseInsensitive();
    void valuesAreCutTo255Characters();
    void otherSectionsKeysAndOrderAreKept();
    void changesMadeByAnotherWriterAreSeen();
    void batchWritesOnceAndIsVisibleAtOnce();
    void writingBehindLosesNothing();
    void badFilesGiveDefaultsWithoutACrash_data();
    void badFilesGiveDefaultsWithoutACrash();
    void unwritableFolderKeepsValuesForThisRun();
    void onlyOneProcessHoldsTheLock();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void WorkFileTest::missingFileGivesDefaultsAndTheFirstStoreCreatesIt()
{
    WorkFile file(m_path);
    QCOMPARE(file.fetch("DATA", "SUB_ADR", "1"), QStringLiteral("1"));
    QCOMPARE(file.fetch("DATA", "JIKO_NO"), QString());
    QVERIFY(!QFile::exists(m_path));
    file.store("TEL1", "HASHIN", "4");
    QVERIFY(file.lastSaveOk());
    QCOMPARE(readAll(m_path), QByteArray("[TEL1]\nHASHIN=4\n"));
    QCOMPARE(file.fetch("TEL1", "HASHIN", "9"), QStringLiteral("4"));
    // Nothing but the file itself is left in the folder, readable by its
    // owner alone: it holds telephone numbers.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"mail.ini"});
    QCOMPARE(QFile::permissions(m_path) & 0x0777, QFile::ReadUser | QFile::WriteUser);
}

void WorkFileTest::namesAreCaseInsensitive()
{
    WorkFile file(m_path);
    file.store("Tel2", "tuchi", "3");
    QCOMPARE(file.fetch("TEL2", "TUCHI"), QStringLiteral("3"));
    file.store("TEL2", "TUCHI", "1");
    QCOMPARE(file.fetch("tel2", "Tuchi"), QStringLiteral("1"));
    file.flush();
    QCOMPARE(readAll(m_path).toUpper().count("TUCHI"), 1); // one key, not two
}

void WorkFileTest::valuesAreCutTo255Characters()
{
    WorkFile file(m_path);
    const QString longValue(300, QLatin1Char('7'));
    file.store("TANSYUKU", "TAN0", longValue);
    QCOMPARE(file.fetch("TANSYUKU", "TAN0"), longValue.left(255));
    file.store("TANSYUKU", "TAN1", longValue.left(255));
    QCOMPARE(file.fetch("TANSYUKU", "TAN1").size(), 255);
    // A line break cannot smuggle a key into the file.
    file.store("TEL1", "JIKO_NO", "123\nGLOBAL=0");
    QCOMPARE(file.fetch("TEL1", "GLOBAL", "1"), QStringLiteral("1"));
}

void WorkFileTest::otherSectionsKeysAndOrderAreKept()
{
    writeAll(m_path, "; kept\n[ZETA]\nA=1\n[TEL1]\nJIKO_NO=0312\nOTHER=x\n[ALPHA]\nB=2\n");
    const QFile::Permissions mode = QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(m_path, mode));
    {
        WorkFile file(m_path);
        file.store("TEL1", "JIKO_NO", "0999");
        file.store("TEL1", "SUB_NO", "12");
    }
    const QByteArray text = readAll(m_path);
    QVERIFY2(text.contains("; kept"), text);
    QVERIFY(text.indexOf("[ZETA]") < text.indexOf("[TEL1]"));
    QVERIFY(text.indexOf("[TEL1]") < text.indexOf("[ALPHA]"));
    QVERIFY(text.contains("JIKO_NO=0999\nOTHER=x\nSUB_NO=12\n"));
    QVERIFY(text.contains("[ALPHA]\nB=2\n"));
    QCOMPARE(QFile::permissions(m_path) & 0x0777, mode); // and its mode
}

void WorkFileTest::changesMadeByAnotherWriterAreSeen()
{
    WorkFile file(m_path);
    file.store("TEL", "CHIEN", "3");
    file.flush(); // the other writer comes after this one's write
    writeAll(m_path, "[TEL]\nCHIEN=7\nGAISEN=2\n");
    QCOMPARE(file.fetch("TEL", "GAISEN"), QStringLiteral("2"));
    QCOMPARE(file.fetch("TEL", "CHIEN"), QStringLiteral("7"));

    // A batch looks at the disk once, at its first fetch; the next fetch
    // after the batch looks again.
    {
        WorkFile::Batch batch(file);
        QCOMPARE(file.fetch("TEL", "CHIEN"), QStringLiteral("7"));
        writeAll(m_path, "[TEL]\nCHIEN=5\n");
        QCOMPARE(file.fetch("TEL", "CHIEN"), QStringLiteral("7"));
    }
    QCOMPARE(file.fetch("TEL", "CHIEN"), QStringLiteral("5"));
}

void WorkFileTest::batchWritesOnceAndIsVisibleAtOnce()
{
    WorkFile file(m_path);
    {
        WorkFile::Batch batch(file);
        for (int i = 0; i < 20; ++i)
            file.store("TANSYUKU", QStringLiteral("TAN%1").arg(i), QString::number(i));
        QCOMPARE(file.fetch("TANSYUKU", "TAN7"), QStringLiteral("7"));
        QVERIFY(!QFile::exists(m_path));
    }
    file.flush();
    QVERIFY(readAll(m_path).contains("TAN19=19"));
    WorkFile again(m_path);
    QCOMPARE(again.fetch("tansyuku", "tan12"), QStringLiteral("12"));
}

void WorkFileTest::writingBehindLosesNothing()
{
    // Stores come faster than the disk takes them: every fetch sees the
    // newest value, the file ends with the last of them, and a work file
    // that goes away writes what it still holds first.
    {
        WorkFile file(m_path);
        for (int i = 0; i < 200; ++i) {
            file.store("TEL1", "HASHIN", QString::number(i));
            file.store("TEL2", QStringLiteral("K%1").arg(i % 7), QString::number(i));
            QCOMPARE(file.fetch("TEL1", "HASHIN"), QString::number(i));
        }
        file.flush();
        QVERIFY(readAll(m_path).contains("HASHIN=199\n"));
        file.store("TEL3", "LAST", "1");
    }
    WorkFile again(m_path);
    QCOMPARE(again.fetch("TEL3", "LAST"), QStringLiteral("1"));
    QCOMPARE(again.fetch("TEL2", "K5"), QStringLiteral("194"));
    QCOMPARE(again.fetch("TEL1", "HASHIN"), QStringLiteral("199"));
}

void WorkFileTest::badFilesGiveDefaultsWithoutACrash_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray binary(4096, '\0');
    auto *rng = QRandomGenerator::global();
    for (char &c : binary)
        c = char(rng->bounded(256));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << binary;
    QTest::newRow("garbage lines") << QByteArray("[[[\n=\n]]]=\n[TEL1\nHASHIN\n==4\n\xff\xfe[");
    QTest::newRow("10 MB") << QByteArray(10 * 1024 * 1024, 'x');
}

void WorkFileTest::badFilesGiveDefaultsWithoutACrash()
{
    QFETCH(QByteArray, content);
    writeAll(m_path, content);
    WorkFile file(m_path);
    QCOMPARE(file.fetch("TEL1", "HASHIN", "4"), QStringLiteral("4"));
    file.store("TEL1", "HASHIN", "5");
    QCOMPARE(file.fetch("TEL1", "HASHIN", "4"), QStringLiteral("5"));
    file.flush();
    WorkFile again(m_path);
    QCOMPARE(again.fetch("TEL1", "HASHIN", "4"), QStringLiteral("5"));
}

void WorkFileTest::unwritableFolderKeepsValuesForThisRun()
{
    // A path whose folder is a file: nothing can be written there.
    writeAll(m_dir.filePath("notafolder"), "x");
    WorkFile file(m_dir.filePath("notafolder/mail.ini"));
    file.store("BACP", "CALLED", "5");
    QVERIFY(!file.lastSaveOk());
    QCOMPARE(file.fetch("BACP", "CALLED", "7"), QStringLiteral("5"));
}

void WorkFileTest::onlyOneProcessHoldsTheLock()
{
    WorkFile first(m_path);
    QVERIFY(first.lock());
    QVERIFY(first.lock()); // asking again is harmless

    // Another process sees the file taken: a shell that tries the same lock
    // file name would be fragile, so ask through a second lock in a child
    // process of this very test.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"-lockprobe", m_path});
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitCode(), 3);
}

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "-lockprobe") {
        QCoreApplication app(argc, argv);
        WorkFile file(QString::fromLocal8Bit(argv[2]));
        return file.lock() ? 0 : 3;
    }
    QCoreApplication app(argc, argv);
    WorkFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "workfile_test.moc"
