#pragma once

#include "link/WholeSecondClock.h"

#include <QCoreApplication>
#include <QDateTime>

// A whole-second clock on fake milliseconds for time-out tests that take no real time. now() is the whole seconds of the fake time; every
// sleep runs one pass of the event loop and moves the fake time on by step() ms.
class FakeClock final : public WholeSecondClock
{
public:
    qint64 now() override { return m_ms >= 0 ? m_ms / 1000 : -((-m_ms + 999) / 1000); }
    QDateTime currentDateTime() override
    {
        ++m_dateTimeReadings;
        return m_local;
    }
    void sleepUntilEventOrNextSecond() override
    {
        ++m_sleeps;
        QCoreApplication::processEvents();
        m_ms += m_step;
    }

    qint64 ms() const { return m_ms; }
    void setMs(qint64 ms) { m_ms = ms; }
    void setStep(qint64 ms) { m_step = ms; }
    void setCurrentDateTime(const QDateTime &local) { m_local = local; }
    // How often the code under test slept; a wait that never sleeps spins.
    int sleepCount() const { return m_sleeps; }
    int dateTimeReadings() const { return m_dateTimeReadings; }

private:
    qint64 m_ms = 0;
    qint64 m_step = 100;
    int m_sleeps = 0;
    int m_dateTimeReadings = 0;
    QDateTime m_local = QDateTime(QDate(2026, 1, 5), QTime(12, 0, 0));
};
