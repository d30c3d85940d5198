#include "DefaultPaths.h"

#include "schedule/CalendarFile.h"
#include "schedule/DataDirectory.h"
#include "schedule/ProgramIdentity.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace {
// The folder the window keeps its files in, by the window's own rule: its
// user data folder is named after the window, not after zilctl.
QString windowDataDirectory()
{
    const QString ownName = QCoreApplication::applicationName();
    setProgramIdentity();
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(ownName);
    return prepareDataDirectory(QCoreApplication::applicationDirPath(), userData);
}
} // namespace

QString defaultCalendarPath()
{
    return calendarFilePath(windowDataDirectory());
}

QString serialPortMapDirectory()
{
    return windowDataDirectory();
}
