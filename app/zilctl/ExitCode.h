#pragma once

// The exit codes are a column of the outcome table.
#include "operations/ExitCode.h"
