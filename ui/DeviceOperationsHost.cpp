#include "ui/DeviceOperationsHost.h"

#include "ui/ComStatusWindow.h"
#include "ui/MainWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

DeviceOperationsHost &DeviceOperationsHost::of(frmRinger &window)
{
    if (auto *host = window.findChild<DeviceOperationsHost *>(QString(), Qt::FindDirectChildrenOnly))
        return *host;
    return *new DeviceOperationsHost(window);
}

DeviceOperationsHost::DeviceOperationsHost(frmRinger &window)
    : QObject(&window)
    , m_window(window)
    , m_operations(std::make_unique<DeviceOperations>(*this))
{
}

DeviceOperationsHost::~DeviceOperationsHost() = default;

void DeviceOperationsHost::BeginBusy()
{
    m_window.BeginBusy();
}

void DeviceOperationsHost::EndBusy()
{
    m_window.EndBusy();
}

int DeviceOperationsHost::selectedModelButton() const
{
    for (int i = 0; i < ModelCount; ++i) {
        if (m_window.opsDeviceVersion[size_t(i)] && m_window.opsDeviceVersion[size_t(i)]->isChecked())
            return i;
    }
    return -1;
}

bool DeviceOperationsHost::tcpActive() const
{
    return m_window.chkTCPIPActive && m_window.chkTCPIPActive->isChecked();
}

QString DeviceOperationsHost::ipText() const
{
    return m_window.txtIP ? m_window.txtIP->text() : QString();
}

QString DeviceOperationsHost::portText() const
{
    return m_window.txtPort ? m_window.txtPort->text() : QString();
}

QString DeviceOperationsHost::relayTestText() const
{
    return m_window.lblRelayTest ? m_window.lblRelayTest->text() : QString();
}

void DeviceOperationsHost::setRingerClockText(const QString &text)
{
    if (m_window.lblRingerClock)
        m_window.lblRingerClock->setText(text);
}

void DeviceOperationsHost::SelectFirstDayTab()
{
    m_window.SelectFirstDayTab();
}

QPushButton *DeviceOperationsHost::button(OperationButton which) const
{
    switch (which) {
    case OperationButton::SendClock:
        return m_window.cmdSendClock;
    case OperationButton::ReceiveClock:
        return m_window.cmdReceiveClock;
    case OperationButton::RelayTest:
        return m_window.cmdTest;
    }
    return nullptr;
}

void DeviceOperationsHost::setButtonEnabled(OperationButton which, bool enabled)
{
    if (QPushButton *b = button(which))
        b->setEnabled(enabled);
}

void DeviceOperationsHost::focusButton(OperationButton which)
{
    if (QPushButton *b = button(which))
        b->setFocus();
}

void DeviceOperationsHost::showProgressWindow(TransferProgress &progress)
{
    // No parent: the busy main window is disabled, the progress window must not be.
    if (!m_progressWindow)
        m_progressWindow = std::make_unique<ComStatusWindow>(progress);
    m_progressWindow->show();
}

OperatorDialog &DeviceOperationsHost::dialog()
{
    return m_window.m_dialog;
}

RingCalendar &DeviceOperationsHost::calendar()
{
    return m_window.calendar();
}

int DeviceOperationsHost::serialPortNumber() const
{
    return m_window.serialPortNumber();
}

QString DeviceOperationsHost::lineSettings() const
{
    return m_window.lineSettings();
}

SerialPortMap DeviceOperationsHost::serialPortMap() const
{
    return SerialPortMap::fromDirectory(m_window.dataDirectory());
}
