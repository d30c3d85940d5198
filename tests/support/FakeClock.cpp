#include "support/FakeClock.h"

#include <QCoreApplication>

void FakeClock::sleepUntilEventOrNextSecond()
{
    ++m_sleeps;
    QCoreApplication::processEvents();
    m_ms += m_step;
}
