#include "link/WholeSecondClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {
constexpr qint64 MsPerSecond = 1000;

qint64 wholeSeconds(qint64 ms)
{
    // Floor, also before the epoch.
    return ms >= 0 ? ms / MsPerSecond : -((-ms + MsPerSecond - 1) / MsPerSecond);
}
} // namespace

SystemWholeSecondClock::SystemWholeSecondClock(WallClock wallMs)
    : m_wallMs(wallMs ? std::move(wallMs) : WallClock([] { return QDateTime::currentMSecsSinceEpoch(); }))
{
}

qint64 SystemWholeSecondClock::steadyMs()
{
    if (!m_steady.isValid()) {
        m_firstWallMs = m_wallMs();
        m_steady.start();
    }
    return m_firstWallMs + m_steady.elapsed();
}

qint64 SystemWholeSecondClock::now()
{
    return wholeSeconds(steadyMs());
}

QDateTime SystemWholeSecondClock::currentDateTime()
{
    return QDateTime::fromMSecsSinceEpoch(wholeSeconds(m_wallMs()) * MsPerSecond);
}

void SystemWholeSecondClock::sleepUntilEventOrNextSecond()
{
    const qint64 ms = steadyMs();
    const qint64 untilNextSecond = (wholeSeconds(ms) + 1) * MsPerSecond - ms;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(int(untilNextSecond) + 1);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
