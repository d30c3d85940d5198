#include "operations/DeviceOperations.h"

#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "schedule/RingCalendar.h"

namespace {
// The bar of a block transfer counts 32 steps; its 33rd block finds it full.
constexpr int BlockTransferSteps = 32;
} // namespace

DeviceOperations::DeviceOperations(OperationHost &host, WholeSecondClock &clock,
                                   DeviceLink::ChannelFactory channels)
    : m_host(host)
    , m_link(clock, std::move(channels))
{
}

int recordSlotsPerDay(DeviceModel model)
{
    return facts(model).slotsCarried;
}

OperationResult DeviceOperations::runTransfer(const QString &question, const LinkSettings &link, DeviceModel model,
                                              TransferProgress::Direction direction,
                                              const std::function<Outcome()> &procedure)
{
    if (!m_host.confirm(question))
        return OperationResult{Outcome::NotConfirmed};
    m_host.BeginBusy();
    if (std::optional<OperationResult> failure = openLinkOrTell(link))
        return *failure;
    m_progress.open(direction);
    m_host.showProgress(m_progress);
    m_progress.setStepCount(facts(model).family == ModelFamily::ProgramMode ? BlockTransferSteps
                                                                            : DayCount * recordSlotsPerDay(model));
    m_progress.setStatusText(OperationText::EnteringProgramMode);

    const Outcome outcome = procedure();
    showTransferOutcome(outcome);
    m_link.CloseLink();
    return OperationResult{outcome};
}

void DeviceOperations::showTransferOutcome(Outcome outcome)
{
    const OutcomeRow &row = outcomeRow(outcome);
    m_host.EndBusy();
    if (row.resetBar)
        m_progress.resetBar();
    if (row.closeProgressFirst)
        m_progress.close();
    if (row.statusLine)
        m_progress.setStatusText(row.message);
    m_host.tell(row.message);
    m_progress.close();
}

OperationResult DeviceOperations::runCommand(const LinkSettings &link,
                                             const std::function<OperationResult()> &command)
{
    m_host.BeginBusy();
    if (std::optional<OperationResult> failure = openLinkOrTell(link))
        return *failure;
    const OperationResult result = command();
    if (!result.message().isEmpty())
        m_host.tell(result.message());
    m_link.CloseLink();
    m_host.EndBusy();
    return result;
}

std::optional<OperationResult> DeviceOperations::openLinkOrTell(const LinkSettings &link)
{
    const Result<> opened = m_link.Open(link);
    if (opened)
        return std::nullopt;
    const Outcome outcome =
        link.transport == LinkTransport::Tcp ? Outcome::TcpNotConnected : Outcome::SerialPortNotOpened;
    m_host.tell(outcomeRow(outcome).message);
    m_host.EndBusy();
    return OperationResult{outcome, opened.error()};
}
