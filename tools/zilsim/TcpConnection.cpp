#include "TcpConnection.h"

#include <QTcpSocket>

namespace zilsim {

TcpConnection::TcpConnection(QTcpSocket *socket, QObject *parent) : AnswerChannel(parent), m_socket(socket)
{
    m_socket->setParent(this);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { takeBytes(m_socket->readAll()); });
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpConnection::reportClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            reportClosed();
    });
}

void TcpConnection::writeBytes(const QByteArray &bytes)
{
    if (!m_closed)
        m_socket->write(bytes);
}

void TcpConnection::dropLink()
{
    // Reset rather than a polite close: the controller just goes away.
    m_socket->abort();
    reportClosed();
}

void TcpConnection::reportClosed()
{
    if (m_closed)
        return;
    m_closed = true;
    emit closed();
}

} // namespace zilsim
