#pragma once

#include "site/ControllerOutcome.h"

#include <QList>

// The status as OpenMetrics text for a textfile collector: one gauge family
// per fact, one sample per controller.
QByteArray openMetricsText(const QList<ControllerOutcome> &outcomes, int clockToleranceSeconds);
// Written beside the old file and renamed over it, so a collector never
// reads half of it. Empty on success, else why not.
QString writeOpenMetricsFile(const QString &path, const QByteArray &text);
