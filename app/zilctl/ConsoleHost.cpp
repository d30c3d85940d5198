#include "ConsoleHost.h"

#include "operations/TransferProgress.h"

#include <cstdio>

namespace {
constexpr int BarWidth = 30;

void writeToTerminal(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fflush(stderr);
}
} // namespace

ConsoleHost::ConsoleHost(bool drawProgress, std::function<void(int percent)> onPercent)
    : m_drawProgress(drawProgress), m_onPercent(std::move(onPercent))
{
}

bool ConsoleHost::confirm(const QString &)
{
    return true;
}

void ConsoleHost::showProgress(TransferProgress &progress)
{
    progress.stopArrowClock();
    if (m_cancelled)
        progress.cancel();
    if (m_progress == &progress)
        return;
    m_progress = &progress;
    if (m_onPercent) {
        QObject::connect(&progress, &TransferProgress::barChanged, &progress, [this, &progress] {
            if (progress.maximum() > 0)
                m_onPercent(progress.value() * 100 / progress.maximum());
        });
    }
    if (!m_drawProgress)
        return;
    QObject::connect(&progress, &TransferProgress::barChanged, &progress, [this, &progress] { drawBar(progress); });
    QObject::connect(&progress, &TransferProgress::statusTextChanged, &progress, [this, &progress] { drawBar(progress); });
    QObject::connect(&progress, &TransferProgress::unloaded, &progress, [this] { clearBar(); });
    drawBar(progress);
}

void ConsoleHost::cancelTransfers()
{
    m_cancelled = true;
    if (m_progress)
        m_progress->cancel();
}

void ConsoleHost::drawBar(const TransferProgress &progress)
{
    if (!progress.isLoaded())
        return;
    const int filled = progress.maximum() > 0 ? progress.value() * BarWidth / progress.maximum() : 0;
    // "\r" back to the line's start, "\x1b[K" clears what a longer line left.
    writeToTerminal(QStringLiteral("\r[%1%2] %3/%4 %5\x1b[K")
                        .arg(QString(filled, u'#'), QString(BarWidth - filled, u'.'))
                        .arg(progress.value())
                        .arg(progress.maximum())
                        .arg(progress.statusText()));
    m_barShown = true;
}

void ConsoleHost::clearBar()
{
    if (m_barShown)
        writeToTerminal(QStringLiteral("\r\x1b[K"));
    m_barShown = false;
}
