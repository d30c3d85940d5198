#pragma once

#include "operations/OperationHost.h"

#include <QStringList>
#include <functional>

class TransferProgress;

// The device operations' host on a command line. The command itself is the
// operator's Yes, so every question is answered so; what the operator would
// be told is kept for zilctl to print. A transfer draws a one-line bar on
// standard error when that is a terminal, and nothing otherwise, so logs and
// pipes stay clean.
class ConsoleHost final : public OperationHost
{
public:
    // `onPercent`, when given, hears the bar of every transfer as it moves.
    explicit ConsoleHost(bool drawProgress, std::function<void(int percent)> onPercent = {});

    bool confirm(const QString &question) override;
    void tell(const QString &text) override { m_told.append(text); }
    void BeginBusy() override { }
    void EndBusy() override { }
    void showProgress(TransferProgress &progress) override;
    void scheduleReceived() override { }

    // Cancels the transfer under way, as "İptal Et" does, and every one that
    // starts later (a send's read-back, a transfer whose link is still opening).
    void cancelTransfers();
    QStringList told() const { return m_told; }
    // What was told from now on is another operation's.
    void forgetTold() { m_told.clear(); }

private:
    void drawBar(const TransferProgress &progress);
    void clearBar();

    bool m_drawProgress;
    std::function<void(int)> m_onPercent;
    bool m_cancelled = false;
    bool m_barShown = false;
    TransferProgress *m_progress = nullptr;
    QStringList m_told;
};
