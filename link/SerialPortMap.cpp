#include "link/SerialPortMap.h"

#include "schedule/WholeFile.h"

#include <QDir>
#include <QTextStream>

namespace {
constexpr int FirstPortNumber = 1;
constexpr qint64 LargestMapFile = 64 * 1024; // a port list is a few lines
} // namespace

QString SerialPortMap::defaultDeviceName(int portNumber)
{
    if (portNumber < FirstPortNumber)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString SerialPortMap::mapFilePath(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("SerialPorts.txt"));
}

SerialPortMap SerialPortMap::fromDirectory(const QString &directory)
{
    // A missing, unreadable or outsized list maps nothing: the default names stand.
    const Result<QByteArray> bytes = readCappedFile(mapFilePath(directory), LargestMapFile, QStringLiteral("a port list"));
    return bytes ? fromText(QString::fromUtf8(*bytes)) : SerialPortMap();
}

SerialPortMap SerialPortMap::fromText(const QString &text)
{
    SerialPortMap map;
    const QStringList lines = text.split(u'\n');
    for (const QString &rawLine : lines) {
        // A "#" starts a comment anywhere on the line.
        const QString line = rawLine.left(rawLine.indexOf(u'#')).trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        bool ok = false;
        const int number = line.left(equals).trimmed().toInt(&ok);
        const QString device = line.mid(equals + 1).trimmed();
        if (!ok || number < FirstPortNumber || device.isEmpty())
            continue;
        map.m_overrides.insert(number, device);
    }
    return map;
}

QString SerialPortMap::deviceName(int portNumber) const
{
    return m_overrides.value(portNumber, defaultDeviceName(portNumber));
}
