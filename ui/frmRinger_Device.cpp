#include "ui/frmRinger.h"

#include "link/SerialPortMap.h"
#include "operations/ClockText.h"
#include "ui/ComStatusWindow.h"
#include "ui/OperatorDialog.h"
#include "ui/TypedNumbers.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTimer>

// The buttons that talk to the controller. Each runs one device operation
// with the settings the controls hold now.

frmRinger::RunningOperation::RunningOperation(frmRinger &window) : m_window(window)
{
    m_window.m_operationRunning = true;
}

frmRinger::RunningOperation::~RunningOperation()
{
    m_window.m_operationRunning = false;
    // Closed from the event loop, once the operation's own stack is gone.
    if (std::exchange(m_window.m_closeWhenIdle, false))
        QTimer::singleShot(0, &m_window, [window = &m_window] { window->close(); });
}

void frmRinger::endSession()
{
    m_sessionEnded = true;
    m_dialog.endSession();
    storeFiles(); // first: nothing that follows can lose the edits
    m_operations.progress().cancel();
    // The boxes' loops end; the code that opened them goes on with the cautious answer.
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible() && dialog->isModal())
            dialog->reject();
    if (operationRunning())
        m_closeWhenIdle = true;
    else // from the event loop, once the boxes' own loops are gone
        QTimer::singleShot(0, this, &QWidget::close);
}

DeviceModel frmRinger::selectedModel() const
{
    // The group is exclusive and starts with "V1" checked: one button always is.
    return modelFromNumber(modelButtons->checkedId()).value_or(DeviceModel::V1);
}

LinkSettings frmRinger::linkSettings() const
{
    LinkSettings link;
    link.transport = chkTCPIPActive->isChecked() ? LinkTransport::Tcp : LinkTransport::Serial;
    link.host = txtIP->text().trimmed();
    link.tcpPort = tcpPortFromText(txtPort->text());
    link.serialDevice = SerialPortMap::fromDirectory(m_dataDirectory).deviceName(m_serialPortNumber);
    link.line = facts(selectedModel()).line;
    return link;
}

void frmRinger::cmdSendCalendar_Click()
{
    if (!sendAgreesWithPlan())
        return;
    const RunningOperation running(*this);
    m_operations.SendCalendar(linkSettings(), selectedModel(), m_calendar);
}

void frmRinger::cmdReceiveCalendar_Click()
{
    const RunningOperation running(*this);
    m_operations.ReceiveCalendar(linkSettings(), selectedModel(), m_calendar);
}

void frmRinger::cmdSendClock_Click()
{
    runOnButton(cmdSendClock, [this] { return m_operations.SendClock(linkSettings(), selectedModel()); });
}

void frmRinger::cmdReceiveClock_Click()
{
    runOnButton(cmdReceiveClock, [this] {
        const OperationResult result = m_operations.ReceiveClock(linkSettings(), selectedModel());
        if (result.clock)
            lblRingerClock->setText(clockLabelText(*result.clock));
        return result;
    });
}

void frmRinger::cmdTest_Click()
{
    const qint16 seconds = relayTestSeconds(lblRelayTest->text());
    runOnButton(cmdTest, [&] { return m_operations.TestRelay(linkSettings(), selectedModel(), seconds); });
}

void frmRinger::runOnButton(QPushButton *button, const std::function<OperationResult()> &operation)
{
    const RunningOperation running(*this);
    const QScopedValueRollback current(m_operationButton, button);
    if (outcomeRow(operation().outcome).reachedController)
        button->setFocus();
}

bool frmRinger::confirm(const QString &question)
{
    return m_dialog.confirm(question);
}

void frmRinger::tell(const QString &text)
{
    m_dialog.tell(text);
}

void frmRinger::BeginBusy()
{
    setEnabled(false);
    if (m_operationButton)
        m_operationButton->setEnabled(false);
    if (!m_busyCursorShown) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_busyCursorShown = true;
    }
}

void frmRinger::EndBusy()
{
    setEnabled(true);
    if (m_operationButton)
        m_operationButton->setEnabled(true);
    if (m_busyCursorShown) {
        QApplication::restoreOverrideCursor();
        m_busyCursorShown = false;
    }
}

void frmRinger::showProgress(TransferProgress &progress)
{
    // No parent: the busy main window is disabled, the progress window must not be.
    m_progressWindow->show();
    // The session ended while the link was opening: the transfer stops at its first step.
    if (m_closeWhenIdle)
        progress.cancel();
}

void frmRinger::scheduleReceived()
{
    SelectFirstDayTab();
}
