#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>

// The serial line as the settings text gives it: "9600,o,8,1" is 9600 baud,
// odd parity, 8 data bits, 1 stop bit. The line never uses flow control.
struct LineSettings
{
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::OddParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// nullopt when the text is not four comma-separated parts that a serial
// line can take (parity n, e, o, m or s; 5 to 8 data bits; 1, 1.5 or 2 stop
// bits; a positive baud rate).
std::optional<LineSettings> parseLineSettings(const QString &text);
