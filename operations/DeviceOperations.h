#pragma once

#include "link/DeviceLink.h"
#include "operations/MemoryImage.h"
#include "operations/Outcome.h"
#include "operations/TransferProgress.h"
#include "schedule/DeviceModel.h"

#include <functional>

class BusyScope;
class OperationHost;
class WholeSecondClock;
struct LinkSettings;
struct RingCalendar;

// The operator's device work: schedule send and receive, the controller's
// clock and the relay test. Each public operation is one button's story:
// ask, open the link, run the procedure of the model, tell the result,
// close. Everything it needs comes in as values; what only the program
// around it can do goes through the host. One instance lives as long as the
// program, holding the link, the memory image and the progress state.
class DeviceOperations
{
public:
    // `channels` stands in for the real transports (tests); none uses them.
    DeviceOperations(OperationHost &host, WholeSecondClock &clock, DeviceLink::ChannelFactory channels = {});
    DeviceOperations(const DeviceOperations &) = delete;
    DeviceOperations &operator=(const DeviceOperations &) = delete;

    OperationResult SendCalendar(const LinkSettings &link, DeviceModel model, const RingCalendar &calendar);
    // Replaces `calendar` only once the whole schedule has arrived.
    OperationResult ReceiveCalendar(const LinkSettings &link, DeviceModel model, RingCalendar &calendar);
    OperationResult SendClock(const LinkSettings &link, DeviceModel model);
    OperationResult ReceiveClock(const LinkSettings &link, DeviceModel model);
    OperationResult TestRelay(const LinkSettings &link, DeviceModel model, qint16 seconds);

    // Scripts that run several operations on one controller: the link the
    // first opens stays open for the next ones, until releaseLink(). The
    // window opens and closes it for each operation.
    void keepLinkOpen() { m_keepLink = true; }
    void releaseLink();
    // A "V1" image has been read whole from the controller by this object: a
    // block send then carries back the bytes around the slot entries as the
    // controller holds them, not as zeros.
    bool holdsControllerImage() const { return m_imageFromController; }

    TransferProgress &progress() { return m_progress; }
    DeviceLink &link() { return m_link; }
    // The slots of the last receive whose time was no time of day.
    const QList<HeldTime> &timesNotOfDay() const { return m_timesNotOfDay; }

private:
    // The transfer procedures, run with the link and the progress open.
    Outcome SendCalendarBlocks(const RingCalendar &calendar);
    Outcome SendCalendarRecords(const RingCalendar &calendar, int slotsPerDay);
    Outcome ReceiveCalendarBlocks(RingCalendar &calendar);
    Outcome ReceiveCalendarRecords(RingCalendar &calendar, int slotsPerDay);

    // Confirmation, busy state, link, progress, the procedure, the result
    // told as the outcome table says, link closed.
    OperationResult runTransfer(const QString &question, const LinkSettings &link, DeviceModel model, TransferProgress::Direction direction,
                                const std::function<Outcome()> &procedure);
    // Busy state, link, one command exchange, the result told, link closed.
    OperationResult runCommand(const LinkSettings &link, const std::function<OperationResult()> &command);
    // Opens the link; when it cannot, tells the operator and gives the failure.
    std::optional<OperationResult> openLinkOrTell(const LinkSettings &link, BusyScope &busy);
    // The message and the progress window as the outcome's row says; the
    // busy state ends before the message where the row says so, else after.
    void tellOutcome(Outcome outcome, BusyScope &busy);

    OperationHost &m_host;
    DeviceLink m_link;
    TransferProgress m_progress;
    MemoryImage m_image;
    bool m_imageFromController = false;
    bool m_keepLink = false;
    QList<HeldTime> m_timesNotOfDay;
};

// The relay test rings for 1 to 30 seconds.
inline constexpr int ShortestRelayTest = 1;
inline constexpr int LongestRelayTest = 30;
