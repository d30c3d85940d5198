#pragma once

#include "link/BusyState.h"
#include "link/SerialPortMap.h"

#include <QString>

class OperatorDialog;
class TransferProgress;
class WholeSecondClock;
struct RingCalendar;

// The buttons an operation disables while it runs and focuses at its end.
enum class OperationButton { SendClock, ReceiveClock, RelayTest };

// What the device operations need of the main window. The window answers
// with its controls; tests answer with plain values.
class OperationHost : public BusyState
{
public:
    // The first selected model button, 0 ("V1") to 4; -1 when none is.
    virtual int selectedModelButton() const = 0;
    virtual bool tcpActive() const = 0;   // chkTCPIPActive
    virtual QString ipText() const = 0;   // txtIP
    virtual QString portText() const = 0; // txtPort
    virtual QString relayTestText() const = 0; // lblRelayTest

    virtual void setRingerClockText(const QString &text) = 0; // lblRingerClock
    virtual void SelectFirstDayTab() = 0;
    virtual void setButtonEnabled(OperationButton button, bool enabled) = 0;
    virtual void focusButton(OperationButton button) = 0;

    // Creates the progress window on first use and shows it modeless; it
    // hides itself when the progress unloads.
    virtual void showProgressWindow(TransferProgress &progress) = 0;

    virtual OperatorDialog &dialog() = 0;
    virtual RingCalendar &calendar() = 0;

    // Serial port as set when the window loaded, and the model's line settings.
    virtual int serialPortNumber() const = 0;
    virtual QString lineSettings() const = 0;
    virtual SerialPortMap serialPortMap() const = 0;
    virtual WholeSecondClock &clock() = 0;
};
