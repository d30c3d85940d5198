#include "support/FakeClock.h"

#include <QCoreApplication>

qint64 FakeClock::now()
{
    // Floor division, so negative fake times still count whole seconds down.
    return m_ms >= 0 ? m_ms / 1000 : -((-m_ms + 999) / 1000);
}

QDateTime FakeClock::currentDateTime()
{
    ++m_dateTimeReadings;
    return m_local;
}

void FakeClock::sleepUntilEventOrNextSecond()
{
    ++m_sleeps;
    QCoreApplication::processEvents();
    m_ms += m_step;
}
