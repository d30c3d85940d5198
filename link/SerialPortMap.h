#pragma once

#include <QMap>
#include <QString>

// Serial port numbers 1..16 name devices by a default (Linux: port N is
// /dev/ttyS(N-1); Windows: COMN). An operator may point any number elsewhere
// with a plain-text file "SerialPorts.txt" in the data folder (the one that
// holds the schedule file, see schedule/DataDirectory.h), one line a port: "3 = /dev/ttyUSB0". A "#" starts a comment anywhere on a line; blank
// lines are skipped, as is any line that does not parse.
class SerialPortMap
{
public:
    static QString defaultDeviceName(int portNumber);
    static QString mapFilePath(const QString &directory);

    // Reads the overrides of the file in the directory; a missing or
    // unreadable file leaves the defaults.
    static SerialPortMap fromDirectory(const QString &directory);
    static SerialPortMap fromText(const QString &text);

    QString deviceName(int portNumber) const;

private:
    QMap<int, QString> m_overrides;
};
