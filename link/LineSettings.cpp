#include "link/LineSettings.h"

#include <QStringList>

std::optional<LineSettings> parseLineSettings(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;

    LineSettings line;
    bool ok = false;
    line.baudRate = parts[0].trimmed().toInt(&ok);
    if (!ok || line.baudRate <= 0)
        return std::nullopt;

    const QString parity = parts[1].trimmed().toLower();
    if (parity == u"n")
        line.parity = QSerialPort::NoParity;
    else if (parity == u"e")
        line.parity = QSerialPort::EvenParity;
    else if (parity == u"o")
        line.parity = QSerialPort::OddParity;
    else if (parity == u"m")
        line.parity = QSerialPort::MarkParity;
    else if (parity == u"s")
        line.parity = QSerialPort::SpaceParity;
    else
        return std::nullopt;

    const QString dataBits = parts[2].trimmed();
    if (dataBits == u"5")
        line.dataBits = QSerialPort::Data5;
    else if (dataBits == u"6")
        line.dataBits = QSerialPort::Data6;
    else if (dataBits == u"7")
        line.dataBits = QSerialPort::Data7;
    else if (dataBits == u"8")
        line.dataBits = QSerialPort::Data8;
    else
        return std::nullopt;

    const QString stopBits = parts[3].trimmed();
    if (stopBits == u"1")
        line.stopBits = QSerialPort::OneStop;
    else if (stopBits == u"1.5")
        line.stopBits = QSerialPort::OneAndHalfStop;
    else if (stopBits == u"2")
        line.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;

    return line;
}
