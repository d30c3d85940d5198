#pragma once

// What zilctl's exit status tells a script. The list in --help and the
// README follows this enum.
enum class ExitCode : int {
    Success = 0,
    DeviceFailed = 1,     // the controller refused or did not answer
    BadInput = 2,         // bad arguments, a bad schedule file or text, a relay test asked of a "V1"
    LinkNotOpened = 3,    // the serial port or the TCP connection could not be opened
    Differences = 4,      // verify found the controller's schedule different
    OutputNotWritten = 5, // an output file (a page, a text, the metrics, the report) could not be written
    Interrupted = 130,    // stopped by Ctrl-C (SIGINT) or SIGTERM
};

inline int exitStatus(ExitCode code)
{
    return static_cast<int>(code);
}
