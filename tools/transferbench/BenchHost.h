#pragma once

#include "operations/OperationHost.h"

#include <QStringList>

// A host without a window: answers Yes to every question and keeps what the
// operator was told.
class BenchHost final : public OperationHost
{
public:
    bool confirm(const QString &question) override
    {
        told.append(question);
        return true;
    }
    void tell(const QString &text) override { told.append(text); }
    void BeginBusy() override { }
    void EndBusy() override { }
    void showProgress(TransferProgress &) override { }
    void scheduleReceived() override { }

    QStringList told;
};
