#pragma once

#include "link/LinkLock.h"
#include "operations/ExitCode.h"
#include "protocol/Reply.h"

#include <QString>
#include <optional>

// How a device operation ended.
enum class Outcome {
    NotConfirmed, // the operator answered No
    SerialPortNotOpened,
    TcpNotConnected,
    ControllerBusy, // another program holds the controller's lock: nothing was sent
    ProgramModeRefused,
    BlocksSent,
    RecordsSent,
    BlockWriteFailed, // also when only the closing write went unanswered
    RecordWriteFailed,
    Received,
    BlockReadFailed,
    RecordReadFailed,
    Cancelled,
    ClockSet,
    ClockNotSet,
    ClockRead,
    ClockNotRead,
    RelayRang,
    RelayNotRung,
    RelayNotOnModel,
};

// What an outcome means to the operator and to a script, and how the
// progress window of a transfer shows it.
struct OutcomeRow
{
    ExitCode exitCode;               // zilctl's exit status; Success for the outcomes that succeeded
    bool reachedController = false;  // a command went out: the operation's button takes the focus
    QString message = {};            // empty: nothing is told
    bool idleBeforeMessage = false;  // the busy state ends before the message is told, not after it
    bool closeProgressFirst = false; // the window goes before the message: nothing stays open behind it
    bool statusLine = false;         // the progress window's status line shows the message too
    bool resetBar = false;           // the bar is emptied before the message
};

// A switch over every outcome; the build refuses one left out.
OutcomeRow outcomeRow(Outcome outcome);

struct OperationResult
{
    explicit OperationResult(Outcome outcome, QString detail = {}, std::optional<ClockReading> clock = {})
        : outcome(outcome), detail(std::move(detail)), clock(std::move(clock))
    {
    }

    Outcome outcome;
    QString detail;                    // the system's words when the link could not be opened
    std::optional<ClockReading> clock; // after ClockRead
    std::optional<LockHolder> holder;  // after ControllerBusy: who talks to the controller

    bool succeeded() const { return outcomeRow(outcome).exitCode == ExitCode::Success; }
    // The operator's text; a busy controller's names its holder when known.
    QString message() const;
};
