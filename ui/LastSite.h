#pragma once

#include <QString>

// The site file the operator opened last, kept per user in the program's own
// configuration (never in Ringer.ini, whose four bytes belong to the port).
QString lastSitePath();
void rememberSitePath(const QString &path);
