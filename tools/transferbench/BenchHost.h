#pragma once

#include "link/WholeSecondClock.h"
#include "operations/OperationHost.h"
#include "operations/OperatorDialog.h"
#include "schedule/RingCalendar.h"

#include <QStringList>

// Answers Yes to every question and keeps what the operator was told.
class BenchDialog final : public OperatorDialog
{
public:
    DialogAnswer ask(const QString &text, DialogButtons buttons) override
    {
        told.append(text);
        return buttons == DialogButtons::Ok ? DialogAnswer::Ok : DialogAnswer::Yes;
    }
    QStringList told;
};

// The main window reduced to the settings a transfer reads, on the real clock.
class BenchHost final : public OperationHost
{
public:
    void BeginBusy() override {}
    void EndBusy() override {}
    int selectedModelButton() const override { return model; }
    bool tcpActive() const override { return tcp; }
    QString ipText() const override { return QStringLiteral("127.0.0.1"); }
    QString portText() const override { return QString::number(tcpPort); }
    QString relayTestText() const override { return QStringLiteral("3"); }
    void setRingerClockText(const QString &) override {}
    void SelectFirstDayTab() override {}
    void setButtonEnabled(OperationButton, bool) override {}
    void focusButton(OperationButton) override {}
    void showProgressWindow(TransferProgress &) override {}
    OperatorDialog &dialog() override { return benchDialog; }
    RingCalendar &calendar() override { return schedule; }
    int serialPortNumber() const override { return 1; }
    QString lineSettings() const override { return QStringLiteral("38400,o,8,1"); }
    SerialPortMap serialPortMap() const override
    {
        return SerialPortMap::fromText(QStringLiteral("1 = %1\n").arg(serialDevice));
    }
    WholeSecondClock &clock() override { return systemClock; }

    int model = ModelV3Times64;
    bool tcp = true;
    quint16 tcpPort = 0;
    QString serialDevice;
    RingCalendar schedule;
    BenchDialog benchDialog;
    SystemWholeSecondClock systemClock;
};
