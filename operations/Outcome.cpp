#include "operations/Outcome.h"

#include "operations/OperationTexts.h"

OutcomeRow outcomeRow(Outcome outcome)
{
    using namespace OperationText;
    using enum ExitCode;
    // exit code, reached the controller, message, idle before the message,
    // close progress first, status line, reset bar
    switch (outcome) {
    case Outcome::NotConfirmed: return {DeviceFailed, false, {}, false, false, false, false};
    case Outcome::SerialPortNotOpened: return {LinkNotOpened, false, SerialPortFailed, false, false, false, false};
    case Outcome::TcpNotConnected: return {LinkNotOpened, false, TcpPortFailed, false, false, false, false};
    case Outcome::ControllerBusy: return {DeviceFailed, false, OperationText::ControllerBusy, false, false, false, false};
    case Outcome::ProgramModeRefused: return {DeviceFailed, true, ProgramModeFailed, true, false, true, false};
    case Outcome::BlocksSent: return {Success, true, SendSucceeded, true, false, true, true};
    case Outcome::RecordsSent: return {Success, true, SendSucceeded, true, false, true, false};
    case Outcome::BlockWriteFailed: return {DeviceFailed, true, BlockSendFailed, true, false, true, false};
    case Outcome::RecordWriteFailed: return {DeviceFailed, true, RecordSendFailed, true, true, false, false};
    case Outcome::Received: return {Success, true, ReceiveSucceeded, true, false, true, true};
    case Outcome::BlockReadFailed: return {DeviceFailed, true, ReceiveFailed, true, false, true, false};
    case Outcome::RecordReadFailed: return {DeviceFailed, true, ReceiveFailed, true, true, false, false};
    case Outcome::Cancelled: return {Interrupted, true, OperationText::Cancelled, true, false, false, false};
    case Outcome::ClockSet: return {Success, true, OperationText::ClockSet, false, false, false, false};
    case Outcome::ClockNotSet: return {DeviceFailed, true, ClockSetFailed, false, false, false, false};
    case Outcome::ClockRead: return {Success, true, {}, false, false, false, false};
    case Outcome::ClockNotRead: return {DeviceFailed, true, ClockReadFailed, false, false, false, false};
    case Outcome::RelayRang: return {Success, true, RelayTestDone, false, false, false, false};
    case Outcome::RelayNotRung: return {DeviceFailed, true, RelayTestFailed, false, false, false, false};
    // Nothing was sent: the model has no relay test to ask for.
    case Outcome::RelayNotOnModel: return {BadInput, false, RelayTestNotOnV1, false, false, false, false};
    }
    Q_UNREACHABLE();
    return {DeviceFailed, false, {}, false, false, false, false};
}

QString OperationResult::message() const
{
    if (outcome == Outcome::ControllerBusy && holder)
        return OperationText::controllerBusy(*holder);
    return outcomeRow(outcome).message;
}
