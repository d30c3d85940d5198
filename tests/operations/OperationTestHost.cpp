#include "operations/OperationTestHost.h"

#include "ControllerSimulator.h"
#include "operations/TransferProgress.h"
#include "schedule/DateTimeValue.h"

#include <QCoreApplication>
#include <QTimer>

void PacedClock::sleepUntilEventOrNextSecond()
{
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(RealMsPerSleep);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_ms += StepMs;
}

DialogAnswer ScriptedDialog::ask(const QString &text, DialogButtons buttons)
{
    entries.append({text, buttons, busyProbe && busyProbe(), progress && progress->isLoaded(),
                    progress ? progress->statusText() : QString()});
    if (buttons == DialogButtons::Ok)
        return DialogAnswer::Ok;
    return answers.isEmpty() ? DialogAnswer::Yes : answers.takeFirst();
}

QStringList ScriptedDialog::texts() const
{
    QStringList all;
    for (const DialogEntry &entry : entries)
        all.append(entry.text);
    return all;
}

OperationTestHost::OperationTestHost()
{
    scripted.busyProbe = [this] { return busy; };
}

void OperationTestHost::useTcp(const ControllerSimulator &simulator)
{
    tcp = true;
    ip = QStringLiteral("127.0.0.1");
    port = QString::number(simulator.tcpPort());
}

void OperationTestHost::useSerial(const ControllerSimulator &simulator)
{
    tcp = false;
    portNumber = 1;
    portMap = SerialPortMap::fromText(QStringLiteral("1 = %1\n").arg(simulator.serialDevicePath()));
}

void OperationTestHost::BeginBusy()
{
    busy = true;
    ++beginBusyCalls;
}

void OperationTestHost::EndBusy()
{
    busy = false;
}

void OperationTestHost::setButtonEnabled(OperationButton button, bool enabled)
{
    buttonEnabled[button] = enabled;
    buttonStates.append(enabled);
}

void OperationTestHost::showProgressWindow(TransferProgress &progress)
{
    ++progressShows;
    scripted.progress = &progress;
}

bool OperationFixture::startFixture()
{
    m_simulator = std::make_unique<ControllerSimulator>();
    if (!m_simulator->listenTcp() || !m_simulator->openSerial())
        return false;
    m_host = std::make_unique<OperationTestHost>();
    m_operations = std::make_unique<DeviceOperations>(*m_host);
    return true;
}

void OperationFixture::stopFixture()
{
    m_operations.reset();
    m_host.reset();
    m_simulator.reset();
}

void OperationFixture::useTransport(bool tcp)
{
    tcp ? m_host->useTcp(*m_simulator) : m_host->useSerial(*m_simulator);
}

void OperationFixture::useModel(int model)
{
    m_host->model = model;
    m_simulator->setModel(model);
}

RingCalendar patternedCalendar(int seed)
{
    RingCalendar calendar;
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            const int n = seed + day * 67 + slot * 13;
            calendar.setTimeUsed(day, slot, qint16(n % 3 == 0 ? 0 : 1));
            calendar.setRingDuration(day, slot, qint16(1 + n % 30));
            calendar.setRingTime(day, slot, timeValue(n % 24, (n * 7) % 60));
        }
    }
    return calendar;
}
