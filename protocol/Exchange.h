#pragma once

#include "link/AwaitAnswer.h"

#include <QByteArray>
#include <functional>
#include <optional>

class DeviceLink;

// How one command goes over the link. Serial and TCP differ only in what a
// row says: the pause before sending, the copies over TCP, the port check.
struct CommandRow
{
    enum PreSend { YieldOnly, DrainAndYield };

    PreSend preSend = DrainAndYield; // per pass; serial drains, TCP only yields
    int preSendPasses = 0;
    int preSendSeconds = 0;  // then, draining, until the clock passes start + this
    bool portCheck = false;  // serial check before sending; fails the command
    int tcpCopies = 1;       // the frame's body this often over TCP, then one CR
    int minChars = 0;        // the wait ends once this many characters are there,
    const char *marker = ""; // counted from the first of these (none: from the start)
    int seconds = 0;
    WaitForm form = WaitForm::Strict;
    LateAnswer late = LateAnswer::Rejected;
    int afterAnswerPasses = 0; // yields once any answer came, before the next command
};

// The commands of both controller families, one row each: pre-send, passes,
// seconds, port check, TCP copies, minimum answer, its marker, seconds, wait
// form, late answer, passes after an answer.
namespace Commands {
using enum WaitForm;
using enum LateAnswer;
constexpr CommandRow::PreSend YieldOnly = CommandRow::YieldOnly, Drain = CommandRow::DrainAndYield;
// Program mode ("V1"). After its request is acknowledged, the clock frame
// gives the controller until the clock passes start + 1 second.
inline constexpr CommandRow ProgramModeRequest{YieldOnly, 1001, 0, true, 1, 0, "", 0};
inline constexpr CommandRow ProgramAck{Drain, 0, 0, false, 1, 28, "%", 1, Inclusive, Rejected};
inline constexpr CommandRow ClockRequest{Drain, 5001, 0, true, 1, 0, "", 0};
inline constexpr CommandRow ClockFrame{Drain, 0, 1, false, 1, 28, "%", 5};
inline constexpr CommandRow ClockAnswer{Drain, 0, 0, false, 1, 21, "%", 5};
inline constexpr CommandRow BlockWrite{Drain, 5001, 0, true, 1, 28, "%", 5};
inline constexpr CommandRow BlockRead{Drain, 5001, 0, true, 1, 37, "%", 5};
// Record devices: an answer complete in the wait's last pass still counts.
// The relay rings while the window keeps running for 100001 passes.
inline constexpr CommandRow RecordWrite{Drain, 1001, 0, false, 3, 9, "$ZW", 2, Strict, Used};
inline constexpr CommandRow RecordRead{Drain, 1001, 0, false, 4, 20, "$ZR", 2, Strict, Used};
inline constexpr CommandRow RelayTest{Drain, 2001, 0, false, 10, 9, "$", 1, Strict, Used, 100001};
inline constexpr CommandRow SetDeviceClock{Drain, 2001, 0, false, 6, 9, "$", 1, Strict, Used};
inline constexpr CommandRow ReadDeviceClock{Drain, 2001, 0, false, 4, 23, "$", 1, Strict, Used};
} // namespace Commands

// The pauses, the port check, the frame (repeated over TCP as the row says),
// when the row waits for one the answer, and the pause after it. nullopt when no link is open,
// the port check fails or nothing came in time.
std::optional<QByteArray> runExchange(DeviceLink &link, const CommandRow &row, const QByteArray &frame);
// The same, with the frame built after the pause, right before it leaves:
// a frame that carries the PC's time is never older than its send.
std::optional<QByteArray> runExchange(DeviceLink &link, const CommandRow &row, const std::function<QByteArray()> &buildFrame);

// Only the wait of a row, for answers that follow an earlier frame unasked.
std::optional<QByteArray> awaitAnswer(DeviceLink &link, const CommandRow &row);

// The serial frame's body `copies` times in a row, then one carriage return.
QByteArray repeatedForTcp(const QByteArray &serialFrame, int copies);
