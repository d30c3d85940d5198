#pragma once

#include <QString>

class TransferProgress;

// What only the program around the operations can do: ask and tell the
// operator, show the progress of a transfer, hold the busy state, and show a
// schedule that has just arrived. The main window is one host; a program
// without any window is another.
class OperationHost
{
public:
    virtual ~OperationHost() = default;

    // A question with Yes and No; true for Yes.
    virtual bool confirm(const QString &question) = 0;
    // A result or an error, with only an OK button.
    virtual void tell(const QString &text) = 0;

    // Once per operation each (see BusyScope): busy before the link opens;
    // no longer busy before a transfer's result is told, after the other
    // results, as the outcome table says.
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;

    // A schedule transfer has opened its progress; it closes itself.
    virtual void showProgress(TransferProgress &progress) = 0;
    // A receive has filled the schedule; show it.
    virtual void scheduleReceived() = 0;
};
