// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/link.h"

#include <QSerialPort>

#include <functional>

namespace korvanta {

// What a failed open of a serial device answered.
struct OpenFailure {
    int systemError = 0; // errno of the system call that failed; 0 when it was no system call
    bool locked = false; // another program holds the device's lock file
    QString text;        // the serial port's own words
};

// The link over a serial device, or a pseudo-terminal standing in for one.
class SerialLink : public Link {
    Q_OBJECT
public:
    explicit SerialLink(const QString &devicePath = {}, QObject *parent = nullptr);

    // Why a failed open failed, in Japanese, from what it answered; without
    // one the serial port's own words.
    using Explanation = std::function<QString(const QString &device, const OpenFailure &failure)>;
    void explainFailuresWith(Explanation explain) { m_explain = std::move(explain); }

    void setDevicePath(const QString &path);
    QString devicePath() const { return m_devicePath; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void output(const QByteArray &text) override;
    int inBufferCount() const override;
    int outBufferCount() const override;
    QString description() const override { return devicePath(); }
    QString whyNotOpen() const override { return m_whyNotOpen; }

protected:
    QByteArray readBuffered(int max) override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_devicePath; // as given: the serial port keeps only the name after "/dev/"
    bool m_lineLost = false; // reported once per opening
    OpenFailure m_openFailure; // what the failing open() answered
    Explanation m_explain;
    QString m_whyNotOpen;
};

} // namespace korvanta
