#pragma once

#include "AnswerChannel.h"

class QTcpSocket;

namespace zilsim {

// One TCP client of the controller. Each connection has its own session: a
// new connection starts outside program mode.
class TcpConnection final : public AnswerChannel
{
    Q_OBJECT

public:
    // Takes ownership of the connected socket.
    explicit TcpConnection(QTcpSocket *socket, QObject *parent = nullptr);
    bool isTcp() const override { return true; }

signals:
    void closed();

protected:
    void writeBytes(const QByteArray &bytes) override;
    void dropLink() override;

private:
    void reportClosed();

    QTcpSocket *m_socket;
    bool m_closed = false;
};

} // namespace zilsim
