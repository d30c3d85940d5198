#pragma once

#include "link/LinkChannel.h"

#include <memory>

class QTcpSocket;

// The controller's TCP connection. Owns its connected socket.
class TcpChannel final : public LinkChannel
{
public:
    explicit TcpChannel(std::unique_ptr<QTcpSocket> socket);
    ~TcpChannel() override;

    LinkTransport transport() const override { return LinkTransport::Tcp; }
    qint64 bytesWaiting() override;
    QByteArray readWaiting() override;
    QByteArray peekWaiting() override;
    void discardInput() override { }
    bool checkPort() override { return true; }
    void send(const QByteArray &frame) override;

private:
    std::unique_ptr<QTcpSocket> m_socket;
};
