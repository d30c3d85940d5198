#include "link/TcpChannel.h"

#include <QTcpSocket>

TcpChannel::TcpChannel(std::unique_ptr<QTcpSocket> socket) : m_socket(std::move(socket)) { }

TcpChannel::~TcpChannel()
{
    // abort() rather than close(): nothing is left to flush.
    m_socket->abort();
}

qint64 TcpChannel::bytesWaiting()
{
    // Bytes that arrived before the controller closed its end still count.
    return m_socket->bytesAvailable();
}

QByteArray TcpChannel::readWaiting()
{
    return m_socket->bytesAvailable() > 0 ? m_socket->readAll() : QByteArray();
}

QByteArray TcpChannel::peekWaiting()
{
    return m_socket->bytesAvailable() > 0 ? m_socket->peek(m_socket->bytesAvailable()) : QByteArray();
}

void TcpChannel::send(const QByteArray &frame)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(frame);
    m_socket->flush();
}
