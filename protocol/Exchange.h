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
    bool portCheck = false;          // serial check before sending; fails the command
    int tcpCopies = 1;               // the frame's body this often over TCP, then one CR
    int minChars = 0;                // the wait ends once this many characters are there
    int seconds = 0;
    WaitForm form = WaitForm::Strict;
    LateAnswer late = LateAnswer::Rejected;
};

// The commands of both controller families, one row each:
//   pre-send, passes, port check, TCP copies, minimum answer, seconds, wait form, late answer.
namespace Commands {
// Program mode ("V1").
inline constexpr CommandRow ProgramModeRequest{CommandRow::YieldOnly, 1001, true, 1, 0, 0};
inline constexpr CommandRow ProgramAck{CommandRow::DrainAndYield, 0, false, 1, 28, 1, WaitForm::Inclusive,
                                       LateAnswer::Rejected};
inline constexpr CommandRow ClockRequest{CommandRow::DrainAndYield, 5001, true, 1, 0, 0};
inline constexpr CommandRow ClockFrame{CommandRow::DrainAndYield, 0, false, 1, 28, 5};
inline constexpr CommandRow ClockAnswer{CommandRow::DrainAndYield, 0, false, 1, 21, 5};
inline constexpr CommandRow BlockWrite{CommandRow::DrainAndYield, 5001, true, 1, 28, 5};
inline constexpr CommandRow BlockRead{CommandRow::DrainAndYield, 5001, true, 1, 37, 5};
// Record devices: an answer complete in the wait's last pass still counts.
inline constexpr CommandRow RecordWrite{CommandRow::DrainAndYield, 1001, false, 3, 9, 2, WaitForm::Strict,
                                        LateAnswer::Used};
inline constexpr CommandRow RecordRead{CommandRow::DrainAndYield, 1001, false, 4, 20, 2, WaitForm::Strict,
                                       LateAnswer::Used};
inline constexpr CommandRow RelayTest{CommandRow::DrainAndYield, 2001, false, 10, 9, 1, WaitForm::Strict,
                                      LateAnswer::Used};
inline constexpr CommandRow SetDeviceClock{CommandRow::DrainAndYield, 2001, false, 6, 9, 1, WaitForm::Strict,
                                           LateAnswer::Used};
inline constexpr CommandRow ReadDeviceClock{CommandRow::DrainAndYield, 2001, false, 4, 23, 1,
                                            WaitForm::Strict, LateAnswer::Used};
} // namespace Commands

// The pause, the port check, the frame (repeated over TCP as the row says)
// and, when the row waits for one, the answer. nullopt when no link is open,
// the port check fails or nothing came in time.
std::optional<QByteArray> runExchange(DeviceLink &link, const CommandRow &row, const QByteArray &frame);
// The same, with the frame built after the pause, right before it leaves:
// a frame that carries the PC's time is never older than its send.
std::optional<QByteArray> runExchange(DeviceLink &link, const CommandRow &row,
                                      const std::function<QByteArray()> &buildFrame);

// Only the wait of a row, for answers that follow an earlier frame unasked.
std::optional<QByteArray> awaitAnswer(DeviceLink &link, const CommandRow &row);

// The serial frame's body `copies` times in a row, then one carriage return.
QByteArray repeatedForTcp(const QByteArray &serialFrame, int copies);
