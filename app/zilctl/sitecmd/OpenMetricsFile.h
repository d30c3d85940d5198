#pragma once

#include "site/ControllerOutcome.h"

#include <QList>

// The status as OpenMetrics text for a textfile collector: one gauge family
// per fact, one sample per controller.
QByteArray openMetricsText(const QList<ControllerOutcome> &outcomes, int clockToleranceSeconds);
