#include "operations/Outcome.h"

#include "operations/OperationTexts.h"

#include <algorithm>
#include <array>

namespace {
using namespace OperationText;

// outcome, succeeded, message, close progress first, status line, reset bar
const std::array<OutcomeRow, 20> Rows{{
    {Outcome::NotConfirmed, false, {}, false, false, false},
    {Outcome::NoModel, false, {}, false, false, false},
    {Outcome::SerialPortNotOpened, false, SerialPortFailed, false, false, false},
    {Outcome::TcpNotConnected, false, TcpPortFailed, false, false, false},
    {Outcome::ProgramModeRefused, false, ProgramModeFailed, false, true, false},
    {Outcome::BlocksSent, true, SendSucceeded, false, true, true},
    {Outcome::RecordsSent, true, SendSucceeded, false, true, false},
    {Outcome::BlockWriteFailed, false, BlockSendFailed, false, true, false},
    {Outcome::RecordWriteFailed, false, RecordSendFailed, true, false, false},
    {Outcome::Received, true, ReceiveSucceeded, false, true, true},
    {Outcome::BlockReadFailed, false, ReceiveFailed, false, true, false},
    {Outcome::RecordReadFailed, false, ReceiveFailed, true, false, false},
    {Outcome::Cancelled, false, OperationText::Cancelled, false, false, false},
    {Outcome::ClockSet, true, OperationText::ClockSet, false, false, false},
    {Outcome::ClockNotSet, false, ClockSetFailed, false, false, false},
    {Outcome::ClockRead, true, {}, false, false, false},
    {Outcome::ClockNotRead, false, ClockReadFailed, false, false, false},
    {Outcome::RelayRang, true, RelayTestDone, false, false, false},
    {Outcome::RelayNotRung, false, RelayTestFailed, false, false, false},
    {Outcome::RelayNotOnModel, false, RelayTestNotOnV1, false, false, false},
}};
} // namespace

const OutcomeRow &outcomeRow(Outcome outcome)
{
    const auto row = std::find_if(Rows.begin(), Rows.end(), [outcome](const OutcomeRow &r) { return r.outcome == outcome; });
    return row != Rows.end() ? *row : Rows.front();
}
