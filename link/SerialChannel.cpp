#include "link/SerialChannel.h"

SerialChannel::SerialChannel(std::unique_ptr<QSerialPort> port) : m_port(std::move(port))
{
    QObject::connect(m_port.get(), &QSerialPort::errorOccurred, m_port.get(), [port = m_port.get()](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError && port->isOpen())
            port->close();
    });
}

SerialChannel::~SerialChannel()
{
    if (m_port->isOpen())
        m_port->close();
}

qint64 SerialChannel::bytesWaiting()
{
    return m_port->isOpen() ? m_port->bytesAvailable() : 0;
}

QByteArray SerialChannel::readWaiting()
{
    return m_port->isOpen() ? m_port->readAll() : QByteArray();
}

QByteArray SerialChannel::peekWaiting()
{
    return m_port->isOpen() ? m_port->peek(m_port->bytesAvailable()) : QByteArray();
}

void SerialChannel::discardInput()
{
    readWaiting();
}

bool SerialChannel::checkPort()
{
    m_port->clearError();
    if (!m_port->isOpen())
        return false;
    m_port->readAll();
    return m_port->error() == QSerialPort::NoError && m_port->isOpen();
}

void SerialChannel::send(const QByteArray &frame)
{
    if (!m_port->isOpen())
        return;
    m_port->clear(QSerialPort::AllDirections);
    m_port->write(frame);
    m_port->flush(); // hand the frame to the driver now, not at the next yield
}
