#include "operations/Outcome.h"

#include "operations/OperationTexts.h"

OutcomeRow outcomeRow(Outcome outcome)
{
    using namespace OperationText;
    using enum ExitCode;
    // A field left out is false, or no message.
    switch (outcome) {
    case Outcome::NotConfirmed: return {.exitCode = DeviceFailed};
    case Outcome::SerialPortNotOpened: return {.exitCode = LinkNotOpened, .message = SerialPortFailed};
    case Outcome::TcpNotConnected: return {.exitCode = LinkNotOpened, .message = TcpPortFailed};
    case Outcome::ControllerBusy: return {.exitCode = DeviceFailed, .message = OperationText::ControllerBusy};
    case Outcome::ProgramModeRefused:
        return {.exitCode = DeviceFailed,
                .reachedController = true,
                .message = ProgramModeFailed,
                .idleBeforeMessage = true,
                .statusLine = true};
    case Outcome::BlocksSent:
        return {.exitCode = Success,
                .reachedController = true,
                .message = SendSucceeded,
                .idleBeforeMessage = true,
                .statusLine = true,
                .resetBar = true};
    case Outcome::RecordsSent:
        return {.exitCode = Success, .reachedController = true, .message = SendSucceeded, .idleBeforeMessage = true, .statusLine = true};
    case Outcome::BlockWriteFailed:
        return {
            .exitCode = DeviceFailed, .reachedController = true, .message = BlockSendFailed, .idleBeforeMessage = true, .statusLine = true};
    case Outcome::RecordWriteFailed:
        return {.exitCode = DeviceFailed,
                .reachedController = true,
                .message = RecordSendFailed,
                .idleBeforeMessage = true,
                .closeProgressFirst = true};
    case Outcome::Received:
        return {.exitCode = Success,
                .reachedController = true,
                .message = ReceiveSucceeded,
                .idleBeforeMessage = true,
                .statusLine = true,
                .resetBar = true};
    case Outcome::BlockReadFailed:
        return {
            .exitCode = DeviceFailed, .reachedController = true, .message = ReceiveFailed, .idleBeforeMessage = true, .statusLine = true};
    case Outcome::RecordReadFailed:
        return {.exitCode = DeviceFailed,
                .reachedController = true,
                .message = ReceiveFailed,
                .idleBeforeMessage = true,
                .closeProgressFirst = true};
    case Outcome::Cancelled:
        return {.exitCode = Interrupted, .reachedController = true, .message = OperationText::Cancelled, .idleBeforeMessage = true};
    case Outcome::ClockSet: return {.exitCode = Success, .reachedController = true, .message = OperationText::ClockSet};
    case Outcome::ClockNotSet: return {.exitCode = DeviceFailed, .reachedController = true, .message = ClockSetFailed};
    case Outcome::ClockRead: return {.exitCode = Success, .reachedController = true};
    case Outcome::ClockNotRead: return {.exitCode = DeviceFailed, .reachedController = true, .message = ClockReadFailed};
    case Outcome::RelayRang: return {.exitCode = Success, .reachedController = true, .message = RelayTestDone};
    case Outcome::RelayNotRung: return {.exitCode = DeviceFailed, .reachedController = true, .message = RelayTestFailed};
    // Nothing was sent: the model has no relay test to ask for.
    case Outcome::RelayNotOnModel: return {.exitCode = BadInput, .message = RelayTestNotOnV1};
    }
    Q_UNREACHABLE();
    return {.exitCode = DeviceFailed};
}

QString OperationResult::message() const
{
    if (outcome == Outcome::ControllerBusy && holder)
        return OperationText::controllerBusy(*holder);
    return outcomeRow(outcome).message;
}
