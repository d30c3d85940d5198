#pragma once

#include "link/LinkLock.h"
#include "schedule/Result.h"

#include <QString>

// One status or apply of a site file at a time: the timer's run and a
// manual one do not work the same controllers at once. Takes the lock named
// after the site file's canonical path into `lock`; when another run holds
// it, waits up to `waitSeconds` (0: refuses at once), then names the holder.
Result<> takeSiteRunLock(LinkLock &lock, const QString &sitePath, int waitSeconds);
