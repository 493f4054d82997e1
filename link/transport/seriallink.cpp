// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/seriallink.h"

#include <QThread>

#include <cerrno>

namespace korvanta {

SerialLink::SerialLink(const QString &devicePath, QObject *parent) : Link(parent), m_devicePath(devicePath)
{
    m_port.setPortName(devicePath);
    connect(&m_port, &QSerialPort::readyRead, this, [this] { emit commEvent(comEvReceive); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

void SerialLink::setDevicePath(const QString &path)
{
    if (m_port.isOpen())
        m_port.close();
    m_devicePath = path;
    m_port.setPortName(path);
}

bool SerialLink::open()
{
    if (m_port.isOpen())
        return true;
    m_lineLost = false;
    m_openFailure = {};
    m_whyNotOpen.clear();
    m_port.setBaudRate(QSerialPort::Baud19200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_port.clearError();
        m_whyNotOpen = m_explain ? m_explain(devicePath(), m_openFailure) : m_openFailure.text;
        return false;
    }
    // A pseudo-terminal refuses the modem-control calls; that is no failure.
    m_port.clearError();
    return true;
}

void SerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

void SerialLink::output(const QByteArray &text)
{
    if (!m_port.isOpen() || m_lineLost)
        return;
    // QSerialPort only buffers here and writes when the event loop next polls
    // the port, after whatever paint and layout events are pending: the
    // command goes out now instead, while those run on the line's time.
    m_port.write(text);
    m_port.flush();
    // A pseudo-terminal passes the text on in work queued on this processor:
    // yielding once lets that run before this thread prepares the wait.
    QThread::yieldCurrentThread();
}

int SerialLink::inBufferCount() const
{
    return m_port.isOpen() ? int(qMin<qint64>(m_port.bytesAvailable(), INT_MAX)) : 0;
}

int SerialLink::outBufferCount() const
{
    return m_port.isOpen() && !m_lineLost ? int(qMin<qint64>(m_port.bytesToWrite(), INT_MAX)) : 0;
}

QByteArray SerialLink::readBuffered(int max)
{
    return m_port.read(max);
}

void SerialLink::onError(QSerialPort::SerialPortError error)
{
    // The error number of the system call that failed, before anything here
    // can change it. Qt reports that call's failure at once, with the
    // system's text for the number; anything else (the lock file another
    // program holds) comes with a text of its own.
    const int systemError = errno;
    if (error == QSerialPort::NoError)
        return; // clearError() itself reports this
    if (!m_port.isOpen()) {
        const QString text = m_port.errorString();
        const bool fromSystem = systemError != 0 && text == qt_error_string(systemError);
        m_openFailure = {fromSystem ? systemError : 0, error == QSerialPort::PermissionError && !fromSystem, text};
    }
    int code = 0;
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::UnsupportedOperationError: // modem control on a pty
    case QSerialPort::TimeoutError:
    case QSerialPort::OpenError:
    case QSerialPort::PermissionError:
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::NotOpenError:
        break; // open() reports these through its result
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        if (!m_lineLost && m_port.isOpen()) {
            m_lineLost = true;
            code = comEventLineLost;
        }
        break;
    case QSerialPort::UnknownError:
        code = comEventLineLost;
        break;
    }
    m_port.clearError();
    if (code)
        emit commEvent(code);
}

} // namespace korvanta
