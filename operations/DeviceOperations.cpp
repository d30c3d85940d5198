#include "operations/DeviceOperations.h"

#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "operations/OperatorDialog.h"
#include "schedule/RingCalendar.h"

DeviceOperations::DeviceOperations(OperationHost &host)
    : m_host(host)
    , m_link(host.clock())
{
}

int recordSlotsPerDay(int model)
{
    return model == ModelV3Times64 ? SlotsPerDay : MemoryImage::SlotsPerDay;
}

void DeviceOperations::runScheduleTransfer(const QString &question, void (DeviceOperations::*blocks)(),
                                           void (DeviceOperations::*records)(int))
{
    if (!m_host.dialog().confirm(question))
        return;
    if (!openLinkForOperation())
        return;
    const int model = m_host.selectedModelButton();
    if (model == ModelV1)
        (this->*blocks)();
    else if (isValidModel(model))
        (this->*records)(recordSlotsPerDay(model));
    closeLinkAndEndBusy();
}

bool DeviceOperations::openLinkForOperation()
{
    m_host.BeginBusy();
    return openTransport();
}

bool DeviceOperations::openTransport()
{
    if (!m_host.tcpActive()) {
        m_link.setPortMap(m_host.serialPortMap());
        m_link.setSerialPortNumber(m_host.serialPortNumber());
        m_link.setLineSettings(m_host.lineSettings());
        if (m_link.OpenSerialPort() != DeviceLink::Opened) {
            m_host.dialog().tell(OperationText::SerialPortFailed);
            m_host.EndBusy();
            return false;
        }
        return true;
    }
    m_link.ConnectTcp(m_host.ipText().trimmed(), tcpPortFromText(m_host.portText()));
    if (!m_link.tcpConnected()) {
        m_host.dialog().tell(OperationText::TcpPortFailed);
        m_host.EndBusy();
        return false;
    }
    return true;
}

void DeviceOperations::closeLinkAndEndBusy()
{
    m_link.CloseLink();
    m_host.EndBusy();
}

void DeviceOperations::openProgress(qint16 direction, int steps)
{
    m_progress.open(direction);
    m_host.showProgressWindow(m_progress);
    m_progress.setStepCount(steps);
    m_progress.setStatusText(OperationText::EnteringProgramMode);
}

void DeviceOperations::report(const QString &text)
{
    m_progress.setStatusText(text);
    m_host.dialog().tell(text);
}
