#pragma once

#include "CommandResult.h"
#include "DeviceJob.h"

// Talks to the controller for one device subcommand and tells the outcome
// with the window's own result texts.
CommandResult runDeviceJob(const DeviceJob &job);
