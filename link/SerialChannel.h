#pragma once

#include "link/LinkChannel.h"

#include <QSerialPort>
#include <memory>

// The controller's serial line. Owns the open port; a port that fails with
// a resource error (device unplugged, terminal hung up) is closed at once so
// its notifier cannot keep firing, and it then reads as empty.
class SerialChannel final : public LinkChannel
{
public:
    explicit SerialChannel(std::unique_ptr<QSerialPort> port);
    ~SerialChannel() override;

    LinkTransport transport() const override { return LinkTransport::Serial; }
    qint64 bytesWaiting() override;
    QByteArray readWaiting() override;
    QByteArray peekWaiting() override;
    void discardInput() override;
    bool checkPort() override;
    void send(const QByteArray &frame) override;

private:
    std::unique_ptr<QSerialPort> m_port;
};
