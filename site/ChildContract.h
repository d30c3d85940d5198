#pragma once

#include "link/LinkSettings.h"
#include "schedule/DeviceModel.h"
#include "schedule/Result.h"
#include "schedule/RingCalendar.h"
#include "site/ControllerOutcome.h"
#include "site/SiteDefaults.h"

#include <QByteArray>
#include <QJsonObject>
#include <variant>

// The exchange between a site run and the child process that works one
// controller: the request goes to the child's standard input as one JSON
// object; the child writes one line of JSON per progress step and a last
// line with its result. Written and read here alone; a child and a parent
// of different versions refuse each other.
inline constexpr int ChildContractVersion = 1;

struct ChildRequest
{
    QString controller; // its name in the site, for messages
    LinkTransport transport = LinkTransport::Tcp;
    QString host; // tcp
    int tcpPort = DefaultTcpPort;
    QString serialTarget; // serial: a device path or a port number, resolved by the child's port map
    DeviceModel model = DeviceModel::V1;
    bool apply = false; // false: reads only
    bool dryRun = false;
    bool setClocks = false;
    int clockToleranceSeconds = DefaultClockToleranceSeconds;
    RingCalendar plannedWeek; // what the controller must hold
};

struct ChildResult
{
    ControllerOutcome outcome;
    bool stopped = false; // a signal asked the child to stop; `message` is then what the step under way said
};

QJsonObject childRequestJson(const ChildRequest &request);
Result<ChildRequest> childRequestFromJson(const QByteArray &json);

// One line each, ending in a newline.
QByteArray childProgressLine(int percent);
QByteArray childResultLine(const ChildResult &result);
// A line the child wrote: a percentage or its result.
using ChildLine = std::variant<int, ChildResult>;
Result<ChildLine> childLineFromJson(const QByteArray &line);
