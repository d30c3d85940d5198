#pragma once

#include "protocol/Reply.h"

#include <QString>
#include <optional>

// How a device operation ended.
enum class Outcome {
    NotConfirmed,        // the operator answered No
    NoModel,             // no model chosen: nothing to run
    SerialPortNotOpened,
    TcpNotConnected,
    ProgramModeRefused,
    BlocksSent,
    RecordsSent,
    BlockWriteFailed,    // also when only the closing write went unanswered
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

// What the operator is told of an outcome, and how the progress window of a
// transfer shows it.
struct OutcomeRow
{
    Outcome outcome;
    bool succeeded;
    QString message;          // empty: nothing is told
    bool closeProgressFirst;  // the window goes before the message: nothing stays open behind it
    bool statusLine;          // the progress window's status line shows the message too
    bool resetBar;            // the bar is emptied before the message
};

const OutcomeRow &outcomeRow(Outcome outcome);

struct OperationResult
{
    Outcome outcome = Outcome::NoModel;
    QString detail;                     // the system's words when the link could not be opened
    std::optional<ClockReading> clock;  // after ClockRead

    bool succeeded() const { return outcomeRow(outcome).succeeded; }
    QString message() const { return outcomeRow(outcome).message; }
};
