#include "ui/DeviceOperationsHost.h"
#include "ui/MainWindow.h"

// The buttons that talk to the controller. Each runs one device operation.

void frmRinger::cmdSendCalendar_Click()
{
    DeviceOperationsHost::of(*this).operations().SendCalendar();
}

void frmRinger::cmdReceiveCalendar_Click()
{
    DeviceOperationsHost::of(*this).operations().ReceiveCalendar();
}

void frmRinger::cmdSendClock_Click()
{
    DeviceOperationsHost::of(*this).operations().SendClock();
}

void frmRinger::cmdReceiveClock_Click()
{
    DeviceOperationsHost::of(*this).operations().ReceiveClock();
}

void frmRinger::cmdTest_Click()
{
    DeviceOperationsHost::of(*this).operations().TestRelay();
}
