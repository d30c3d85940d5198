#include "link/WholeSecondClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

qint64 SystemWholeSecondClock::now()
{
    return QDateTime::currentSecsSinceEpoch();
}

QDateTime SystemWholeSecondClock::currentDateTime()
{
    QDateTime local = QDateTime::currentDateTime();
    local.setTime(QTime(local.time().hour(), local.time().minute(), local.time().second()));
    return local;
}

void SystemWholeSecondClock::sleepUntilEventOrNextSecond()
{
    const qint64 msIntoSecond = QDateTime::currentMSecsSinceEpoch() % 1000;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(int(1000 - msIntoSecond) + 1);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
