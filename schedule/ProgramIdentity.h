#pragma once

#include <QString>

// The version set in the build, e.g. "1.5".
inline const QString ProgramVersion = QStringLiteral(ZIL_VERSION);

// Names the program to Qt: organisation, application and version. The names
// decide the user's data folder, so every program of the system sets the same.
void setProgramIdentity();
