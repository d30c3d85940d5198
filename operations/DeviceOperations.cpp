#include "operations/DeviceOperations.h"

#include "operations/BusyScope.h"
#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "schedule/RingCalendar.h"

namespace {
// The bar of a block transfer counts 32 steps; its 33rd block finds it full.
constexpr int BlockTransferSteps = 32;
} // namespace

DeviceOperations::DeviceOperations(OperationHost &host, WholeSecondClock &clock, DeviceLink::ChannelFactory channels)
    : m_host(host), m_link(clock, std::move(channels))
{
}

OperationResult DeviceOperations::runTransfer(const QString &question, const LinkSettings &link, DeviceModel model,
                                              TransferProgress::Direction direction, const std::function<Outcome()> &procedure)
{
    if (!m_host.confirm(question))
        return OperationResult{Outcome::NotConfirmed};
    BusyScope busy(m_host);
    if (std::optional<OperationResult> failure = openLinkOrTell(link, busy))
        return *failure;
    m_progress.open(direction);
    m_host.showProgress(m_progress);
    m_progress.setStepCount(facts(model).family == ModelFamily::ProgramMode ? BlockTransferSteps : DayCount * facts(model).slotsCarried);
    m_progress.setStatusText(OperationText::EnteringProgramMode);

    const Outcome outcome = procedure();
    tellOutcome(outcome, busy);
    if (!m_keepLink)
        m_link.CloseLink();
    return OperationResult{outcome};
}

void DeviceOperations::tellOutcome(Outcome outcome, BusyScope &busy)
{
    const OutcomeRow row = outcomeRow(outcome);
    if (row.idleBeforeMessage)
        busy.end();
    if (row.resetBar)
        m_progress.resetBar();
    if (row.closeProgressFirst)
        m_progress.close();
    if (row.statusLine)
        m_progress.setStatusText(row.message);
    if (!row.message.isEmpty())
        m_host.tell(row.message);
    m_progress.close();
}

OperationResult DeviceOperations::runCommand(const LinkSettings &link, const std::function<OperationResult()> &command)
{
    BusyScope busy(m_host);
    if (std::optional<OperationResult> failure = openLinkOrTell(link, busy))
        return *failure;
    const OperationResult result = command();
    tellOutcome(result.outcome, busy);
    if (!m_keepLink)
        m_link.CloseLink();
    return result;
}

std::optional<OperationResult> DeviceOperations::openLinkOrTell(const LinkSettings &link, BusyScope &busy)
{
    if (m_keepLink && m_link.channel())
        return std::nullopt;
    const Result<> opened = m_link.Open(link);
    if (opened)
        return std::nullopt;
    if (const std::optional<LockHolder> &holder = m_link.lockRefusedBy()) {
        OperationResult busyResult{Outcome::ControllerBusy, opened.error()};
        busyResult.holder = holder;
        m_host.tell(busyResult.message()); // nothing else happens: no progress window, no change
        return busyResult;
    }
    const Outcome outcome = link.transport == LinkTransport::Tcp ? Outcome::TcpNotConnected : Outcome::SerialPortNotOpened;
    tellOutcome(outcome, busy);
    return OperationResult{outcome, opened.error()};
}

void DeviceOperations::releaseLink()
{
    m_keepLink = false;
    m_link.CloseLink();
}
