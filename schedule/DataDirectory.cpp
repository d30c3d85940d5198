#include "schedule/DataDirectory.h"

#include "schedule/CalendarFile.h"
#include "schedule/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>

namespace {
QStringList keptFiles(const QString &directory)
{
    return {calendarFilePath(directory), settingsFilePath(directory)};
}

bool folderTakesNewFiles(const QString &folder)
{
    // Saving writes a temporary file and renames it over the old one: the
    // same two steps tell whether a save can work, whatever the permission
    // bits, ACLs or mount options say.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".zilsistemi-probe-XXXXXX")));
    if (!probe.open())
        return false;
    const QString renamed = probe.fileName() + QStringLiteral(".renamed");
    const bool ok = probe.rename(renamed);
    QFile::remove(renamed);
    return ok;
}
} // namespace

FolderProbe FolderProbe::real()
{
    return {folderTakesNewFiles, [](const QString &file) { return QFileInfo(file).isWritable(); }};
}

QString chooseDataDirectory(const QString &programDirectory, const QString &userDataDirectory, const FolderProbe &probe)
{
    if (probe.canCreateFiles(programDirectory))
        return programDirectory;
    const QStringList files = keptFiles(programDirectory);
    const bool keptInPlace =
        std::all_of(files.cbegin(), files.cend(), [&](const QString &file) { return QFileInfo::exists(file) && probe.canWriteFile(file); });
    // Without a home folder there is nowhere better than beside the program.
    return keptInPlace || userDataDirectory.isEmpty() ? programDirectory : userDataDirectory;
}

QString prepareDataDirectory(const QString &programDirectory, const QString &userDataDirectory, const FolderProbe &probe)
{
    const QString chosen = chooseDataDirectory(programDirectory, userDataDirectory, probe);
    if (chosen == programDirectory)
        return chosen;
    // A folder that cannot be made shows up as a save failure with its reason.
    QDir().mkpath(chosen);
    const QStringList from = keptFiles(programDirectory);
    const QStringList to = keptFiles(chosen);
    for (qsizetype i = 0; i < from.size(); ++i) {
        if (QFileInfo::exists(from[i]) && !QFileInfo::exists(to[i]) && QFile::copy(from[i], to[i]))
            QFile(to[i]).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return chosen;
}
