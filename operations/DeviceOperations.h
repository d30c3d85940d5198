#pragma once

#include "link/DeviceLink.h"
#include "operations/MemoryImage.h"
#include "operations/TransferProgress.h"
#include "protocol/ReplyData.h"

class OperationHost;

// The operator's device work: schedule send and receive, the controller's
// clock and the relay test. Each public operation is one button's story:
// ask, open the link, run the procedure of the selected model, tell the
// result, close. The window keeps one instance for its whole run, which
// holds the link, the memory image and the progress state.
class DeviceOperations
{
public:
    explicit DeviceOperations(OperationHost &host);
    DeviceOperations(const DeviceOperations &) = delete;
    DeviceOperations &operator=(const DeviceOperations &) = delete;

    // The buttons.
    void SendCalendar();    // cmdSendCalendar "Gönder"
    void ReceiveCalendar(); // cmdReceiveCalendar "Al"
    void SendClock();       // cmdSendClock "Gönder"
    void ReceiveClock();    // cmdReceiveClock "Al"
    void TestRelay();       // cmdTest "Şimdi Çaldır"

    // Transfer procedures, run with the link open.
    void SendCalendarBlocks();
    void SendCalendarRecords(int slotsPerDay);
    void ReceiveCalendarBlocks();
    void ReceiveCalendarRecords(int slotsPerDay);

    TransferProgress &progress() { return m_progress; }
    MemoryImage &memoryImage() { return m_image; }
    const ReplyData &replyData() const { return m_reply; }
    DeviceLink &link() { return m_link; }

private:
    // BeginBusy, then the transport of the operation.
    bool openLinkForOperation();
    // Confirmation, link, the procedure of the model button selected now,
    // link closed: the story both schedule transfers share.
    void runScheduleTransfer(const QString &question, void (DeviceOperations::*blocks)(),
                             void (DeviceOperations::*records)(int));
    // The transport chosen by chkTCPIPActive; tells the operator and ends
    // the busy state when it cannot be opened.
    bool openTransport();
    void closeLinkAndEndBusy();

    void openProgress(qint16 direction, int steps);
    // Status line and message box with the same text.
    void report(const QString &text);

    OperationHost &m_host;
    DeviceLink m_link;
    TransferProgress m_progress;
    MemoryImage m_image;
    ReplyData m_reply;
};

// Slots a day the record procedures move for a model 1..4.
int recordSlotsPerDay(int model);
