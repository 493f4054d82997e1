// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus: what the simulated adapter answers to the queries
// each parser reads, byte for byte as the exchanges hand it over (from the
// echo's "A"), command lines for the simulator itself, and the files the
// programs read: work files, profiles and state files of simulated adapters.
//
//   fuzz_seeds fuzz/corpus

#include "link/session/session.h"
#include "profile/adapterprofile.h"
#include "shortdial/shortdialmodel.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "sim/statefile.h"
#include "workfile/workfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using korvanta::sim::Faults;
using korvanta::sim::SimulatedAdapter;

namespace {

QDir root;

void write(const char *target, const QString &name, const QByteArray &bytes)
{
    root.mkpath(QLatin1String(target));
    QFile f(root.filePath(QLatin1String(target) + u'/' + name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
}

// A file name for the reply to a query: its characters that are letters or digits.
QString nameOf(const QString &tag, const QByteArray &query)
{
    QString name = tag;
    for (const char c : query.mid(2, 24))
        name += QChar::fromLatin1(c).isLetterOrNumber() ? QChar::fromLatin1(c).toLower() : u'_';
    return name;
}

QByteArray reply(SimulatedAdapter &adapter, const QByteArray &command)
{
    return adapter.respond(command + '\r');
}

// An adapter with numbers, subaddresses and directory entries set.
void furnish(SimulatedAdapter &a)
{
    for (const char *line : {"AT$C1=0312345678", "AT$E1=12", "AT$G1=09012345678", "AT$C2=(03)1234-5678#",
                             "AT$E2=*#99", "AT$C4=0451112222", "AT$E4=7", "AT$C5=0461113333",
                             "AT&Z0=0312345678*12", "AT&Z5=117", "AT&Z12=(06)6666-6666#*#1",
                             "AT$L1=1$N1=0$K2=2$H3=3$D2=1$B4=0$O5=1", "AT$I11=15$I42=100$I45=0$I41=255$I46=0"})
        if (!a.respond(QByteArray(line) + '\r').endsWith("\r\nOK\r\n"))
            std::fprintf(stderr, "refused: %s\n", line);
}

// A literal with its NULs.
template <size_t N>
QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A whole reading of the adapter as the utility does it: the work file it
// leaves, and the profile.
std::pair<QByteArray, korvanta::profile::Profile> backup(SimulatedAdapter &adapter)
{
    using namespace korvanta;
    QTemporaryDir dir;
    sim::SimulatedLink link(adapter);
    link.open();
    profile::Profile p;
    {
        WorkFile work(dir.filePath(QStringLiteral("mail.ini")));
        Session session(link, work);
        session.ModelName = QString::fromLatin1(sim::kModelName);
        session.FirmwareVersion = QString::fromLatin1(adapter.faults().firmware);
        session.NewFirmwareFlag = adapter.oldFirmware() ? QStringLiteral("0") : QStringLiteral("1");
        if (!profile::backup(session, p))
            std::fprintf(stderr, "backup failed\n");
    }
    return {contents(dir.filePath(QStringLiteral("mail.ini"))), p};
}

// The files the programs read, and the options of their line.
void files()
{
    using namespace korvanta;
    const char newer = '\0', older = '\1';
    for (const bool old : {false, true}) {
        Faults faults;
        if (old)
            faults.firmware = sim::kOldFirmware;
        SimulatedAdapter factory(faults), used(faults);
        furnish(used);
        const QString era = old ? QStringLiteral("old-") : QString();
        const char firmware = old ? older : newer;
        for (SimulatedAdapter *a : {&factory, &used}) {
            const QString tag = era + (a == &factory ? QStringLiteral("factory") : QStringLiteral("set"));
            const auto [workFile, read] = backup(*a);
            write("work_file", tag + QStringLiteral(".ini"), workFile);
            const QByteArray text = profile::write(read);
            if (a == &used && !old) {
                // The longest profile there is: every box full.
                profile::Profile longest = read;
                for (const SettingKey &k : profile::settingKeys()) {
                    QStringList parts;
                    for (const SettingDomain::Text &t : k.domain.text)
                        parts << QString(t.maxLength, t.characters.isEmpty() ? u'0' : t.characters.front());
                    if (const QString full = parts.join(u'*'); !parts.isEmpty() && k.accepts(full))
                        longest.values.set(k.section, k.key, full);
                }
                write("profile", QStringLiteral("longest.ini"), profile::write(longest));
                write("profile_rules", QStringLiteral("longest-onto-factory"), firmware + profile::write(longest));
            }
            // The profile restored onto the other adapter, and onto itself.
            SimulatedAdapter *other = a == &factory ? &used : &factory;
            write("profile_rules", tag + QStringLiteral("-onto-other"), firmware + other->log().join('\r') + '\0' + text);
            write("profile_rules", tag + QStringLiteral("-onto-factory"), firmware + text);
            a->respond("AT&W0&W1\r");
            const QString state = QDir::temp().filePath(QStringLiteral("korvanta-seed.state"));
            sim::writeStateFile(state, a->storedSettings());
            write("sim_state", tag, contents(state));
            QFile::remove(state);
        }
    }
    write("work_file", QStringLiteral("odd-lines.ini"),
          "; a comment\r\n[TEL1]\r\nJIKO_NO = 0312\r\n\r\n[ tel1 ]\r\nring=2\r\n[電話]\r\n名前=日本語の値\r\n"
          "[LONG]\r\nVALUE=" + QByteArray(300, '7') + "\r\nNO_EQUALS\r\n=no key\r\n");
    write("traffic_log", QStringLiteral("listing"), "AT\\S2\r\r\nTEL1 ADR:0312*1\r\n$B1:3 $N1:0\r\n\r\nOK\r\n");
    write("traffic_log", QStringLiteral("bytes"), raw("\0\x01\x1f\x7f\x80\xff\\x41\\\\") + "日本");
    for (const auto &[name, arguments] : std::initializer_list<std::pair<const char *, QByteArray>>{
             {"com", raw("\1--port\0COM3")},
             {"assignment", raw("\1--port=COM2=/dev/ttyUSB0\0--simulate")},
             {"relative", raw("\0--port\0com1=dev/x\0--port\0COM9=../y\0--workfile\0m.ini\0--log\0t.log")},
             {"device", raw("\1--port\0/dev/serial/by-id/usb-x\0--port\0COM10")},
             {"refused", raw("\0--port\0COM3\0--port\0COM0=x")}})
        write("line_options", QString::fromLatin1(name), arguments);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    root = QDir(QString::fromLocal8Bit(argv[1]));

    for (const bool old : {false, true}) {
        Faults faults;
        if (old)
            faults.firmware = korvanta::sim::kOldFirmware;
        SimulatedAdapter factory(faults), used(faults);
        furnish(used);
        const QString era = old ? QStringLiteral("old-") : QString();
        for (SimulatedAdapter *a : {&factory, &used}) {
            const QString tag = era + (a == &factory ? QStringLiteral("factory-") : QStringLiteral("set-"));
            // The furnished adapter of current firmware answers every query;
            // the others add only replies that look different: listings at
            // factory values, and the ERROR of queries older firmware lacks.
            const bool every = !old && a == &used;
            const auto one = [&](const char *q, const char *first) { return every || qstrcmp(q, first) == 0; };
            for (const char *q : {"AT\\S2", "AT\\S3", "AT\\S4"})
                if (one(q, "AT\\S2"))
                    write("tel_listing", nameOf(tag, q), reply(*a, q));
            for (const char *q : {"AT\\S5", "AT\\S6"})
                if (one(q, "AT\\S5"))
                    write("data_listing", nameOf(tag, q), reply(*a, q));
            for (const char *q : {"AT@I?", "AT$I20?", "AT$I14?", "AT$I15?", "AT$I29?", "AT$V?", "AT$I11?",
                                  "AT$W1?", "AT$D2?", "AT@J1?", "AT@J4?", "AT%C?", "AT%U?", "AT&B?", "AT%A?%D?",
                                  "AT%Y?", "AT%A?", "AT$I46?"})
                if (every || (old && a == &used && (one(q, "AT$I29?") || one(q, "AT$V?") || one(q, "AT$W1?"))))
                    write("three_digit", nameOf(tag, q), reply(*a, q));
            for (const char *q : {"AT$I40?", "AT$I41?", "AT$I42?", "AT$I45?"})
                if (one(q, "AT$I40?"))
                    write("register", nameOf(tag, q), reply(*a, q));
            if (!old)
                write("directory", tag + QStringLiteral("all"), reply(*a, korvanta::shortdial::readCommand()));
            const QByteArray model = reply(*a, "ATI");
            if (a == &used)
                write("firmware", tag + QStringLiteral("identify"), model + '\0' + reply(*a, "AT%I2"));
        }
        Faults other = faults;
        other.model = "KORVAN-TB";
        SimulatedAdapter stranger(other);
        write("firmware", era + QStringLiteral("other-model"), reply(stranger, "ATI") + '\0' + reply(stranger, "AT%I2"));

        // The simulator: the first byte chooses the firmware.
        const char first = old ? '\1' : '\0';
        const QList<QByteArray> sessions = {
            "ATE1V1\rATI\rAT%I2\r",
            "AT\\S2\rAT\\S5\r",
            "AT$L1=1$N1=0@J1=2\rAT$I14=0$I15=1\r",
            "AT$C1=03-1234(5)#\rAT$E1=12*#\rAT$G3=\r",
            "AT&Z3=0312*45\rAT&Z0?&Z3?&Z19?\r",
            "AT$I42=50$I41=255\rAT%A0%D3\rAT$I29=30\rAT$V2\r",
            "AT&W0&W1\rAT%Z\rAT&F\r",
            "at$d2=1$d3=1\rATX\rAT$I11=16\r",
            "ATE0V0\rAT$B1?\b\b\b@I?\r",
        };
        // Older firmware: the lines it refuses.
        for (int i = 0; i < sessions.size(); ++i)
            if (!old || i == 2 || i == 5)
                write("sim_command", era + QStringLiteral("lines-") + QString::number(i + 1), first + sessions[i]);
    }
    files();
    return 0;
}
