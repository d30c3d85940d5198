#pragma once

#include "site/SiteModel.h"

// What `site check` prints: the controllers, the schedules and the next
// change of each controller after `today`.
QString siteCheckText(const Site &site, QDate today);

// What `site plan` prints: a table of `days` dates from `from` down,
// controllers across, with the period or schedule of each cell; then the
// week each controller must hold on `from`.
QString sitePlanText(const Site &site, QDate from, int days);
