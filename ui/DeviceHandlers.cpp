#include "ui/MainWindow.h"

// The buttons that talk to the controller. Each runs one device operation.

void frmRinger::cmdSendCalendar_Click()
{
}

void frmRinger::cmdReceiveCalendar_Click()
{
}

void frmRinger::cmdSendClock_Click()
{
}

void frmRinger::cmdReceiveClock_Click()
{
}

void frmRinger::cmdTest_Click()
{
}
