// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link.h"
#include "link/ports.h"

#include <QSerialPort>

namespace korvanta {

// The link over a serial device, or a pseudo-terminal standing in for one.
class SerialLink : public Link {
    Q_OBJECT
public:
    explicit SerialLink(const QString &devicePath = {}, QObject *parent = nullptr);

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
    QString m_whyNotOpen;
};

} // namespace korvanta
