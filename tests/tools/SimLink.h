#pragma once

// Test-side links to the controller simulator: a TCP client on 127.0.0.1 or
// the simulator's pseudo-terminal opened as a serial port by its path.
#include "ControllerSimulator.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <memory>

inline std::unique_ptr<QIODevice> openSimLink(ControllerSimulator &sim, bool tcp)
{
    if (tcp) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, sim.tcpPort());
        if (!socket->waitForConnected(2000))
            return nullptr;
        return socket;
    }
    auto port = std::make_unique<QSerialPort>(sim.serialDevicePath());
    if (!port->open(QIODevice::ReadWrite))
        return nullptr;
    return port;
}

// Everything that arrives until at least `count` bytes are there or the time
// is up. Sleeps in the event loop until bytes arrive, so exchanges are quick.
inline QByteArray readAtLeast(QIODevice &link, qsizetype count, int timeoutMs = 2000)
{
    QByteArray got = link.readAll();
    QElapsedTimer timer;
    timer.start();
    while (got.size() < count && timer.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(int(qMax<qint64>(1, timeoutMs - timer.elapsed())), &loop, &QEventLoop::quit);
        QObject::connect(&link, &QIODevice::readyRead, &loop, &QEventLoop::quit);
        loop.exec();
        got += link.readAll();
    }
    return got;
}

// Everything that arrives within `ms`.
inline QByteArray readFor(QIODevice &link, int ms)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QTest::qWait(10);
        got += link.readAll();
    }
    return got;
}

// Sends a frame and reads the answer the program would wait for.
inline QByteArray exchange(QIODevice &link, const QByteArray &frame, qsizetype answerLength,
                           int timeoutMs = 2000)
{
    link.write(frame);
    return readAtLeast(link, answerLength, timeoutMs);
}

// A record-device frame as the program sends it over TCP: the body `copies`
// times, then one carriage return.
inline QByteArray repeated(const QByteArray &body, int copies)
{
    return body.repeated(copies) + '\r';
}
