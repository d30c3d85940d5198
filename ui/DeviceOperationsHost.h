#pragma once

#include "link/WholeSecondClock.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationHost.h"

#include <QObject>
#include <memory>

class ComStatusWindow;
class QPushButton;
class frmRinger;

// The main window as the device operations see it: reads its controls and
// forwards busy state, messages and the schedule. Lives as a child of the
// window for the whole run, so the memory image and the progress window
// outlast single operations.
class DeviceOperationsHost final : public QObject, public OperationHost
{
    Q_OBJECT

public:
    // The window's host, created on first use.
    static DeviceOperationsHost &of(frmRinger &window);

    explicit DeviceOperationsHost(frmRinger &window);
    ~DeviceOperationsHost() override;

    DeviceOperations &operations() { return *m_operations; }
    // The progress window once a transfer has shown it, else nullptr.
    ComStatusWindow *progressWindow() const { return m_progressWindow.get(); }

    void BeginBusy() override;
    void EndBusy() override;

    int selectedModelButton() const override;
    bool tcpActive() const override;
    QString ipText() const override;
    QString portText() const override;
    QString relayTestText() const override;

    void setRingerClockText(const QString &text) override;
    void SelectFirstDayTab() override;
    void setButtonEnabled(OperationButton button, bool enabled) override;
    void focusButton(OperationButton button) override;
    void showProgressWindow(TransferProgress &progress) override;

    OperatorDialog &dialog() override;
    RingCalendar &calendar() override;
    int serialPortNumber() const override;
    QString lineSettings() const override;
    SerialPortMap serialPortMap() const override;
    WholeSecondClock &clock() override { return m_clock; }

private:
    QPushButton *button(OperationButton which) const;

    frmRinger &m_window;
    SystemWholeSecondClock m_clock;
    std::unique_ptr<DeviceOperations> m_operations;
    // Declared after the operations: it goes first, while its progress lives.
    std::unique_ptr<ComStatusWindow> m_progressWindow;
};
