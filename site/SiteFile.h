#pragma once

#include "link/SerialPortMap.h"
#include "site/CalendarPeriods.h"
#include "site/SiteModel.h"

#include <optional>

// The site file read whole: the TOML, its keys and names, then every schedule
// text it names, as `zilctl import` reads them. Every problem is reported at
// once; a site with any problem is no site.
struct SiteReading
{
    std::optional<Site> site;
    QList<SiteProblem> problems;
};

// A site file is a page or two; anything far larger is not one.
constexpr qint64 LargestSiteFile = 1024 * 1024;

// Calendar files' events are expanded over `window` (default: the school
// years around today); `ports` turns a serial port number into its device,
// as zilctl will, so that one link written two ways is seen as one.
SiteReading readSiteFile(const QString &path, DateSpan window = {}, const SerialPortMap &ports = {});
// The same, of text already read; `path` names it in problems and is where
// relative schedule and calendar paths start from.
SiteReading readSiteText(const QByteArray &text, const QString &path, DateSpan window = {}, const SerialPortMap &ports = {});
