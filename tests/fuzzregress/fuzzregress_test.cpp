// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataport/dataportmodel.h"
#include "fuzz/drivers.h"
#include "shortdial/shortdialmodel.h"
#include "telephone/telephonemodel.h"
#include "workfile/workfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace korvanta;

namespace {
QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The fields a read hands to its boxes and to the work file, by work-file key.
using Fields = QList<std::pair<QString, QByteArray>>;

Fields telephoneFields(const QByteArray &answer)
{
    const auto s = telephone::parsePortStatus(answer, telephone::ports()[1]);
    if (!s)
        return {};
    return {{"JIKO_NO", s->ownNumber}, {"SUB_NO", s->subaddress}, {"TRA_NO", s->forwarding}};
}

Fields dataFields(const QByteArray &answer)
{
    const auto r = dataport::parseListing(answer, dataport::port(dataport::UsbPort));
    return {{dataport::kOwnNumberKey, r.number}, {dataport::kSubaddressKey, r.subaddress}};
}

Fields directoryFields(const QByteArray &answer)
{
    Fields fields;
    for (const shortdial::ReadEntry &e : shortdial::parseDirectory(answer).value_or(QList<shortdial::ReadEntry>()))
        fields.append({QString::fromLatin1(shortdial::kEntryRows[e.entry].key), e.stored.toLatin1()});
    return fields;
}
} // namespace

class FuzzRegressTest : public QObject {
    Q_OBJECT
private slots:
    // Every seed and every input a fuzzer once found goes through its
    // driver, which checks the results (and, under the sanitizers, memory).
    void replays_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QString>("path");
        for (const fuzz::Target &t : fuzz::targets())
            for (const char *root : {KORVANTA_FUZZ_INPUTS, KORVANTA_FUZZ_CORPUS}) {
                const QDir dir(QString::fromLatin1(root) + u'/' + QLatin1String(t.name));
                for (const QString &file : dir.entryList(QDir::Files))
                    QTest::addRow("%s/%s", t.name, qPrintable(file)) << QByteArray(t.name) << dir.filePath(file);
            }
    }
    void replays()
    {
        QFETCH(QByteArray, target);
        QFETCH(QString, path);
        const fuzz::Findings findings = fuzz::target(target)->run(contents(path));
        QVERIFY2(findings.isEmpty(), qPrintable(findings.join(u'\n')));
    }

    // Every target has seeds to start from.
    void everyTargetHasSeeds()
    {
        for (const fuzz::Target &t : fuzz::targets())
            QVERIFY2(!QDir(QString::fromLatin1(KORVANTA_FUZZ_CORPUS) + u'/' + QLatin1String(t.name))
                          .entryList(QDir::Files).isEmpty(),
                     t.name);
    }

    // The fields a garbled reply gives keep no LF or NUL, so the work file
    // holds exactly what the boxes show and an unchanged box is not sent.
    void garbledFieldsSurviveTheWorkFile_data()
    {
        QTest::addColumn<int>("parser");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("telephone forwarding with LF")
            << 0 << QByteArray("AT\\S3\r\r\nTEL2 ADR:03*1\r\nTEL2 FWD:0901\n234\r\n$B2:3\r\n\r\nOK\r\n")
            << QByteArray("TRA_NO") << QByteArray("0901234");
        QTest::newRow("telephone own number with NUL")
            << 0 << QByteArrayLiteral("AT\\S3\r\r\nTEL2 ADR:03\0" "12*4\0" "5\r\nTEL2 FWD:\r\n\r\nOK\r\n")
            << QByteArray("JIKO_NO") << QByteArray("0312");
        QTest::newRow("data port number with LF")
            << 1 << QByteArray("AT\\S6\r\r\nUSB ADR:0461-\n$B5:3 $O5:0\r\n\r\nOK\r\n") << QByteArray("JIKO_NO")
            << QByteArray("0461-$B5:3 $O5:0");
        QTest::newRow("directory entry with NUL")
            << 2 << shortdial::readCommand() + QByteArrayLiteral("\r\r\n05:01\0" "17*2\r\n\r\nOK\r\n")
            << QByteArray("05") << QByteArray("0117*2");
    }
    void garbledFieldsSurviveTheWorkFile()
    {
        QFETCH(int, parser);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        const Fields fields = std::array{telephoneFields, dataFields, directoryFields}[parser](answer);
        QTemporaryDir dir;
        WorkFile work(dir.filePath(QStringLiteral("mail.ini")));
        for (const auto &[k, value] : fields)
            work.store(QStringLiteral("S"), k, QString::fromLatin1(value));
        work.flush();
        WorkFile reread(dir.filePath(QStringLiteral("mail.ini")));
        bool found = false;
        for (const auto &[k, value] : fields) {
            QCOMPARE(reread.fetch(QStringLiteral("S"), k, QString()), QString::fromLatin1(value));
            if (k == QLatin1String(key)) {
                QCOMPARE(value, expected);
                found = true;
            }
        }
        QVERIFY(found);
    }

    // A directory line's boxes change only together with its work-file value,
    // at a CR: text after the last CR of a line changes neither.
    void directoryBoxesFollowTheWorkFile_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("subaddress");
        QTest::addColumn<QString>("stored");
        QTest::newRow("whole line") << QByteArray("05:0312*12\r\n") << "0312" << "12" << "0312*12";
        QTest::newRow("number after the CR, then *") << QByteArray("05:\r0312*\n") << "" << "" << "";
        QTest::newRow("subaddress after the CR") << QByteArray("05:0312*1\r2\n") << "0312" << "1" << "0312*1";
    }
    void directoryBoxesFollowTheWorkFile()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, number);
        QFETCH(QString, subaddress);
        QFETCH(QString, stored);
        const auto entries = shortdial::parseDirectory(shortdial::readCommand() + "\r\r\n" + lines + "\r\nOK\r\n");
        QVERIFY(entries && entries->size() == 1);
        QCOMPARE(entries->first(), (shortdial::ReadEntry{5, stored, {number, subaddress}}));
    }
};

QTEST_MAIN(FuzzRegressTest)
#include "fuzzregress_test.moc"
