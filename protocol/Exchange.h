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
    const char *marker = ""; // counted from the first of these (text without one: from its start)
    int seconds = 0;
    WaitForm form = WaitForm::Strict;
    LateAnswer late = LateAnswer::Rejected;
    int afterAnswerPasses = 0; // yields once any answer came, before the next command
};

// The commands of both controller families, one row each; a field left out
// keeps the default above (drain, no pause, one copy, strict wait).
namespace Commands {
using enum WaitForm;
using enum LateAnswer;
constexpr CommandRow::PreSend YieldOnly = CommandRow::YieldOnly;
// Program mode ("V1"). After its request is acknowledged, the clock frame
// gives the controller until the clock passes start + 1 second.
inline constexpr CommandRow ProgramModeRequest{.preSend = YieldOnly, .preSendPasses = 1001, .portCheck = true};
inline constexpr CommandRow ProgramAck{.minChars = 28, .marker = "%", .seconds = 1, .form = Inclusive, .late = Rejected};
inline constexpr CommandRow ClockRequest{.preSendPasses = 5001, .portCheck = true};
inline constexpr CommandRow ClockFrame{.preSendSeconds = 1, .minChars = 28, .marker = "%", .seconds = 5, .late = Rejected};
inline constexpr CommandRow ClockAnswer{.minChars = 21, .marker = "%", .seconds = 5, .late = Rejected};
inline constexpr CommandRow BlockWrite{
    .preSendPasses = 5001, .portCheck = true, .minChars = 28, .marker = "%", .seconds = 5, .late = Rejected};
inline constexpr CommandRow BlockRead{
    .preSendPasses = 5001, .portCheck = true, .minChars = 37, .marker = "%", .seconds = 5, .late = Rejected};
// Record devices: an answer complete in the wait's last pass still counts.
// The relay rings while the window keeps running for 100001 passes.
inline constexpr CommandRow RecordWrite{.preSendPasses = 1001, .tcpCopies = 3, .minChars = 9, .marker = "$ZW", .seconds = 2, .late = Used};
inline constexpr CommandRow RecordRead{.preSendPasses = 1001, .tcpCopies = 4, .minChars = 20, .marker = "$ZR", .seconds = 2, .late = Used};
inline constexpr CommandRow RelayTest{
    .preSendPasses = 2001, .tcpCopies = 10, .minChars = 9, .marker = "$", .seconds = 1, .late = Used, .afterAnswerPasses = 100001};
inline constexpr CommandRow SetDeviceClock{.preSendPasses = 2001, .tcpCopies = 6, .minChars = 9, .marker = "$", .seconds = 1, .late = Used};
inline constexpr CommandRow ReadDeviceClock{
    .preSendPasses = 2001, .tcpCopies = 4, .minChars = 23, .marker = "$", .seconds = 1, .late = Used};
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
