#pragma once

#include "link/LinkChannel.h"

class QTcpSocket;

// The controller's TCP connection. The socket belongs to the DeviceLink,
// which drops this channel before it discards the socket.
class TcpChannel final : public LinkChannel
{
public:
    explicit TcpChannel(QTcpSocket &socket);

    LinkTransport transport() const override { return LinkTransport::Tcp; }
    qint64 bytesWaiting() override;
    QByteArray readWaiting() override;
    bool checkPort() override { return true; }
    void discardBuffers() override {}
    void send(const QByteArray &bytes) override;

private:
    QTcpSocket &m_socket;
};
