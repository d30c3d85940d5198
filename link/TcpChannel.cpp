#include "link/TcpChannel.h"

#include <QTcpSocket>

TcpChannel::TcpChannel(QTcpSocket &socket)
    : m_socket(socket)
{
}

qint64 TcpChannel::bytesWaiting()
{
    // Bytes that arrived before the controller closed its end still count.
    return m_socket.bytesAvailable();
}

QByteArray TcpChannel::readWaiting()
{
    return m_socket.bytesAvailable() > 0 ? m_socket.readAll() : QByteArray();
}

void TcpChannel::send(const QByteArray &bytes)
{
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        return;
    m_socket.write(bytes);
    m_socket.flush();
}
