#pragma once

#include "ControllerSimulator.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationHost.h"
#include "operations/OperatorDialog.h"
#include "schedule/RingCalendar.h"
#include "link/WholeSecondClock.h"

#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <memory>

class TransferProgress;

// Whole seconds that pass ten times faster than real ones: every sleep waits
// for an event at most 20 ms and moves the clock on by 100 ms. Time-outs cost
// a fraction of their length, while answers the simulator paces in real
// milliseconds still arrive in time.
class PacedClock final : public WholeSecondClock
{
public:
    static constexpr int RealMsPerSleep = 20;
    static constexpr qint64 StepMs = 100;

    qint64 now() override { return m_ms / 1000; }
    QDateTime currentDateTime() override { return m_local; }
    void sleepUntilEventOrNextSecond() override;

    qint64 ms() const { return m_ms; }
    void setCurrentDateTime(const QDateTime &local) { m_local = local; }

private:
    qint64 m_ms = 0;
    QDateTime m_local = QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45));
};

// One question or message as the operator saw it, with what stood around it.
struct DialogEntry
{
    QString text;
    DialogButtons buttons;
    bool busy;           // the main window still disabled
    bool progressShown;  // the progress window still loaded
    QString statusLine;  // the progress window's status line at that moment
};

// Answers every question from a script (Yes when the script runs out) and
// keeps everything it was asked or told.
class ScriptedDialog final : public OperatorDialog
{
public:
    DialogAnswer ask(const QString &text, DialogButtons buttons) override;

    QList<DialogAnswer> answers;
    QList<DialogEntry> entries;
    std::function<bool()> busyProbe;
    TransferProgress *progress = nullptr;

    QStringList texts() const;
};

// The main window as plain values: model button, connection settings, the
// labels and buttons the operations touch, and a fake clock.
class OperationTestHost final : public OperationHost
{
public:
    OperationTestHost();

    // Talk to the simulator over TCP at 127.0.0.1 or over its pseudo-terminal.
    void useTcp(const ControllerSimulator &simulator);
    void useSerial(const ControllerSimulator &simulator);

    void BeginBusy() override;
    void EndBusy() override;
    int selectedModelButton() const override { return model; }
    bool tcpActive() const override { return tcp; }
    QString ipText() const override { return ip; }
    QString portText() const override { return port; }
    QString relayTestText() const override { return relayText; }
    void setRingerClockText(const QString &text) override { ringerClock = text; }
    void SelectFirstDayTab() override { ++firstDayTabSelections; }
    void setButtonEnabled(OperationButton button, bool enabled) override;
    void focusButton(OperationButton button) override { focused.append(button); }
    void showProgressWindow(TransferProgress &progress) override;
    OperatorDialog &dialog() override { return scripted; }
    RingCalendar &calendar() override { return schedule; }
    int serialPortNumber() const override { return portNumber; }
    QString lineSettings() const override { return line; }
    SerialPortMap serialPortMap() const override { return portMap; }
    WholeSecondClock &clock() override { return pacedClock; }

    int model = ModelV3Times64;
    bool tcp = true;
    QString ip = QStringLiteral("127.0.0.1");
    QString port = QStringLiteral("0");
    QString relayText = QStringLiteral("3");
    QString ringerClock;
    int firstDayTabSelections = 0;
    QMap<OperationButton, bool> buttonEnabled;
    QList<bool> buttonStates; // every change, in order
    QList<OperationButton> focused;
    int progressShows = 0;
    bool busy = false;
    int beginBusyCalls = 0;
    int portNumber = 1;
    QString line = QStringLiteral("38400,o,8,1");
    SerialPortMap portMap = SerialPortMap::fromText(QString());
    RingCalendar schedule;
    ScriptedDialog scripted;
    PacedClock pacedClock;
};

// The simulator on loopback TCP and on a pseudo-terminal, the host and the
// operations under test. A test class derives from it and starts it afresh in
// init(), stops it in cleanup().
class OperationFixture
{
protected:
    bool startFixture();
    void stopFixture();
    void useTransport(bool tcp);
    void useModel(int model); // on the model buttons and in the simulator

    std::unique_ptr<ControllerSimulator> m_simulator;
    std::unique_ptr<OperationTestHost> m_host;
    std::unique_ptr<DeviceOperations> m_operations;
};

// A schedule with a different used flag, length and time in every slot.
RingCalendar patternedCalendar(int seed);
