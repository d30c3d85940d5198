#pragma once

#include <QStringList>

// `zilctl site ...`: parses, runs and prints; the exit status.
int runSiteCommand(const QStringList &arguments);
