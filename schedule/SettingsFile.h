#pragma once

#include "schedule/Result.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The serial ports the window offers: 1..16.
inline constexpr int SerialPortCount = 16;

// "Ringer.ini": despite the name, 4 little-endian bytes: PortNo, Reserved.
struct RingerSettings
{
    qint16 PortNo = 0;   // serial port 1..16, 0 = none chosen
    qint16 Reserved = 0; // kept and range-limited, otherwise unused

    bool operator==(const RingerSettings &) const = default;
};

constexpr qsizetype SettingsFileSize = 4;

QString settingsFilePath(const QString &directory);

QByteArray settingsToBytes(const RingerSettings &settings);
void overlaySettingsBytes(RingerSettings &settings, const QByteArray &bytes);

// Loads what the file holds, then limits the ranges: a PortNo outside 0..16
// becomes 1, a Reserved above 5 becomes 5.
void LoadSettings(RingerSettings &settings, const QString &path);
// A failure says why the file was not stored.
Result<> SaveSettings(const RingerSettings &settings, const QString &path);
