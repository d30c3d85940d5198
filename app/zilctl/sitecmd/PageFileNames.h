#pragma once

#include <QStringList>

// A page file's name for each controller, "<controller>.pdf", in the order
// given. A controller's name may hold anything a TOML text holds: the names
// keep to one folder, stay readable on a USB stick's file system, and two
// controllers never share a file, even where letter case is not told apart.
QStringList pageFileNames(const QStringList &controllers);
