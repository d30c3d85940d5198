#include "schedule/SettingsFile.h"

#include "schedule/RecordFile.h"

#include <QDir>
#include <QtEndian>
#include <cstring>

QString settingsFilePath(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("Ringer.ini"));
}

QByteArray settingsToBytes(const RingerSettings &settings)
{
    QByteArray bytes(SettingsFileSize, '\0');
    qToLittleEndian<qint16>(settings.PortNo, bytes.data());
    qToLittleEndian<qint16>(settings.Reserved, bytes.data() + 2);
    return bytes;
}

void overlaySettingsBytes(RingerSettings &settings, const QByteArray &bytes)
{
    QByteArray image = settingsToBytes(settings);
    std::memcpy(image.data(), bytes.constData(), size_t(std::min(bytes.size(), image.size())));
    settings.PortNo = qFromLittleEndian<qint16>(image.constData());
    settings.Reserved = qFromLittleEndian<qint16>(image.constData() + 2);
}

void LoadSettings(RingerSettings &settings, const QString &path)
{
    overlaySettingsBytes(settings, readRecordPrefix(path, SettingsFileSize));
    if (settings.PortNo < 0 || settings.PortNo > SerialPortCount)
        settings.PortNo = 1;
    if (settings.Reserved > 5)
        settings.Reserved = 5;
}

Result<> SaveSettings(const RingerSettings &settings, const QString &path)
{
    return writeRecordKeepingTail(path, settingsToBytes(settings));
}
