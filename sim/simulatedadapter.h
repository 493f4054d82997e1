// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "sim/pacer.h"
#include "sim/settingstable.h"

namespace korvanta::sim {

constexpr const char *kModelName = "KORVAN-TA";
constexpr const char *kCurrentFirmware = "Ver 1.30 01/03/15";
constexpr const char *kOldFirmware = "Ver 1.20 99/11/30";
// 10 bits a character at 19200 bit/s.
constexpr int kCharTimeUs19200 = 521;

// Ways the adapter or its line can misbehave, settable at any time. The
// defaults are a healthy adapter on a fast line.
struct Faults {
    // The adapter never answers: no echo, no reply, nothing changes (lines
    // are still logged).
    bool silent = false;
    // The line after which the adapter falls silent: its echo still goes out,
    // no reply to it or to anything after it (empty: never).
    QByteArray silentFrom;
    QByteArray model = kModelName;       // answer to "ATI"
    QByteArray firmware = kCurrentFirmware; // answer to "AT%I2"; also decides
                                            // which commands exist (<= 1.20: older)
    int charTimeUs = 0;                  // 0: no pacing; kCharTimeUs19200: a real line
    bool fragmentOk = false;             // final "OK": "O", then after a pause "K" CR LF
    int fragmentSize = 0;                // > 0: replies in pieces of at most this many bytes
    int fragmentPauseMs = 20;            // the pause between pieces
    QByteArray noise;                    // sent before the echo of every command line
    QList<QByteArray> errorFor;          // lines answered ERROR, nothing changed
    QList<QByteArray> keeps;             // settings ("$L2", "&Z3") whose set is acknowledged
                                         // but leaves the value as it was
    int dropAfter = -1;                  // >= 0: the line goes away after this many
                                         // bytes of a reply (echo not counted)
    QByteArray dropOn;                   // ... of the reply to this line only; empty: any
    int cutAfter = -1;                   // >= 0: a reply (as dropOn picks) is cut after
                                         // this many bytes, the line staying up
    int atLine = 0;                      // > 0: the faults that name a line (silentFrom,
                                         // errorFor, dropOn, delayMs) hold only for the line
                                         // received in this place, counted from 1
    int delayMs = 0;                     // every reply held back this long after the echo
    bool cannotOpen = false;             // SimulatedLink::open() fails

    // A line pattern matches the line exactly, or its beginning when the
    // pattern ends in "*".
    static bool matches(const QByteArray &pattern, const QByteArray &line);
};

// The KORVAN-TA as seen from its serial line.
//
// The engine takes the host's bytes, edits the command line (backspace, LF
// ignored), echoes, and at CR checks the whole line before applying it: every
// piece is parsed and applied in order to a copy of the state, and only a
// line without fault is kept; otherwise the answer is ERROR and nothing
// changes. The timing layer (pacing, fragments, delay, noise, line loss) then
// delivers the output through transmitted(), from the event loop.
//
// State is read and set by key, the command form of the setting without "AT"
// and without "=": "$L1", "$B4", "@J5", "$I11", "$I14", "@I", "$V", "%C",
// "$I42", "$C1" (own number), "$E1" (subaddress), "$G1" (forwarding number),
// "&Z0".."&Z19" (directory entry in wire form: number, "*" and subaddress).
// Number values are decimal text without leading zeros ("4", "80").
class SimulatedAdapter : public QObject {
    Q_OBJECT
public:
    // As shipped: every setting, working and stored, at the factory values of
    // the firmware that `faults` names.
    explicit SimulatedAdapter(const Faults &faults = {}, QObject *parent = nullptr);

    // Bytes from the host. The adapter's output follows via transmitted().
    void receive(const QByteArray &bytes);
    // The engine alone: the bytes the adapter answers, at once, in one piece.
    // Honours silent, model, firmware and errorFor; ignores the line knobs
    // (pacing, fragments, delay, noise, drop).
    QByteArray respond(const QByteArray &bytes);

    const Faults &faults() const { return m_faults; }
    void setFaults(const Faults &faults);
    bool oldFirmware() const { return isOldFirmware(m_faults.firmware); }

    // Every command line received, in order, without the CR.
    QList<QByteArray> log() const { return m_log; }
    void clearLog() { m_log.clear(); }

    // Working settings (what the adapter uses now) and stored settings (what
    // "AT&W0&W1" keeps and power-on restores). Empty for an unknown key.
    QStringList keys() const;
    QString value(const QString &key) const { return QString::fromLatin1(m_state.working.value(key.toLatin1())); }
    QString storedValue(const QString &key) const { return QString::fromLatin1(m_state.stored.value(key.toLatin1())); }
    // False, changing nothing, for an unknown key or a value out of range.
    // The cross rules (hold/short-dial key, TEL2/TEL3 display) are not applied.
    bool setValue(const QString &key, const QString &value);
    bool setStoredValue(const QString &key, const QString &value);
    QMap<QString, QString> storedSettings() const;
    // Loads stored settings, in key order (unknown keys, bad values, values
    // the firmware lacks and a value the partner key holds are skipped).
    void setStoredSettings(const QMap<QString, QString> &values);

    bool echo() const { return m_state.echo; }
    bool verbose() const { return m_state.verbose; }
    void setEcho(bool on) { m_state.echo = on; }
    void setVerbose(bool on) { m_state.verbose = on; }

    // "AT%Z" (keepDialInfo false) or "AT&F" (true), on the working settings,
    // with the factory values of the present firmware.
    void factoryReset(bool keepDialInfo = false);
    // Off and on: working settings from the stored ones, echo and verbose on,
    // a half-typed line, queued output and a lost line forgotten.
    void powerCycle();

    // Set once the line has gone away (fault dropAfter); input is ignored
    // until powerCycle().
    bool isLineLost() const { return m_lineLost; }
    // Bytes of output queued and not yet transmitted.
    int pendingOutput() const { return m_out.pending(); }

signals:
    void transmitted(const QByteArray &bytes);
    void lineLost();
    // A command line was received (without its CR).
    void lineReceived(const QByteArray &line);
    // "AT&W" stored the settings.
    void stored();

private:
    struct State {
        Values working;
        Values stored;
        bool echo = true;
        bool verbose = true;
    };

    std::optional<QByteArray> edit(char c);
    QByteArray answer(const QByteArray &line);
    bool interpret(const QByteArray &line, State &state, QList<QByteArray> &answers) const;
    bool applySetting(const Setting &s, const QByteArray &body, int &pos, bool first, State &state,
                      QList<QByteArray> &answers) const;
    bool applyAction(const ActionDef &a, const QByteArray &body, int &pos, State &state,
                     QList<QByteArray> &answers) const;
    QByteArray listing(int port, const Values &v) const;
    QByteArray frame(const QList<QByteArray> &answers, bool ok, bool verbose) const;
    void transmitReply(const QByteArray &line, QByteArray reply);
    static bool setChecked(Values &values, const QString &key, const QString &value);

    Faults m_faults;
    State m_state;
    QByteArray m_line;
    bool m_lineOpen = false; // a character of the current line has arrived
    bool m_lineLost = false;
    QList<QByteArray> m_log;
    int m_linesReceived = 0;
    // Whether a fault that names the pattern holds for this line.
    bool faultOn(const QByteArray &pattern, const QByteArray &line) const;
    Pacer m_out;
};

} // namespace korvanta::sim
