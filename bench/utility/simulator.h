// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace korvanta::bench {

// A program of this build (korvanta-sim, korvanta): they all sit beside
// this one.
QString builtProgram(const QString &name);

// korvanta-sim in its own process, serving the simulated adapter on a
// pseudo-terminal; stopped when this goes.
class Simulator {
public:
    Simulator() = default;
    Simulator(const Simulator &) = delete;
    ~Simulator();

    // Starts it with args and reads the pty path it prints first. False, with
    // the reason on stderr, when it does not come.
    bool start(const QStringList &args);
    void stop();
    QString device() const { return m_device; }

private:
    QProcess m_process;
    QString m_device;
};

} // namespace korvanta::bench
