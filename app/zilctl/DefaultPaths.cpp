#include "DefaultPaths.h"

#include "schedule/CalendarFile.h"

#include <QCoreApplication>

QString defaultCalendarPath()
{
    return calendarFilePath(QCoreApplication::applicationDirPath());
}

QString serialPortMapDirectory()
{
    return QCoreApplication::applicationDirPath();
}
