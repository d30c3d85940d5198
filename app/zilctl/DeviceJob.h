#pragma once

#include "CommandLine.h"
#include "link/LinkSettings.h"
#include "schedule/Result.h"
#include "schedule/RingCalendar.h"

#include <QString>
#include <optional>

// One device subcommand, its arguments checked and its schedule read: all
// that is left is to talk to the controller.
struct DeviceJob
{
    Subcommand command = Subcommand::Send; // one that talks to the controller
    LinkSettings link;                     // line settings already set from the model
    DeviceModel model = DeviceModel::V1;
    QString calendarPath; // read by send and verify, written by receive
    // send and verify: the file's schedule. receive: the file it replaces,
    // whose slots the model does not carry stay; none when there is no file yet.
    std::optional<RingCalendar> calendar;
    int relaySeconds = 0; // relay-test only
    bool verifyAfterSend = false;
};

// A job ready to run, or why the schedule file or the model keep it from
// starting. Reads the schedule file where the subcommand sends or compares
// it, or where the model has to come from it (no --model).
Result<DeviceJob> prepareDeviceJob(const Invocation &invocation);
