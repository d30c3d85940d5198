#pragma once

#include <QString>

#include <functional>

// Where the program keeps "RingCalendar.dat" and "Ringer.ini".
//
// Beside the executable whenever that folder takes new files (the portable
// use). A folder that does not, but already holds both files writable, keeps
// being used in place. Otherwise the user's data folder, seeded once with
// copies of the files found beside the executable.

struct FolderProbe
{
    // Can the program create files in the folder and rename them over others?
    std::function<bool(const QString &folder)> canCreateFiles;
    std::function<bool(const QString &file)> canWriteFile;

    static FolderProbe real();
};

// Decides the folder without changing anything on disk.
QString chooseDataDirectory(const QString &programDirectory, const QString &userDataDirectory,
                            const FolderProbe &probe = FolderProbe::real());

// Creates the user's data folder when it is the one chosen and copies the
// files that it lacks from beside the executable. Returns the folder.
QString prepareDataDirectory(const QString &programDirectory, const QString &userDataDirectory,
                             const FolderProbe &probe = FolderProbe::real());
