#pragma once

#include "link/link.h"

#include <QSerialPort>

namespace korvanta {

// The link over a serial device, or a pseudo-terminal standing in for one.
class SerialLink : public Link {
    Q_OBJECT
public:
    explicit SerialLink(const QString &devicePath = {}, QObject *parent = nullptr);

    void setDevicePath(const QString &path);
    QString devicePath() const { return m_port.portName(); }

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void output(const QByteArray &text) override;
    int inBufferCount() const override;
    int outBufferCount() const override;
    QString description() const override { return devicePath(); }

protected:
    QByteArray readBuffered(int max) override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    bool m_lineLost = false; // reported once per opening
};

} // namespace korvanta
