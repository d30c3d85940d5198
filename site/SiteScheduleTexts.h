#pragma once

#include "site/SiteModel.h"

// Reads the text of every schedule the site names, as `zilctl import` reads
// it, with the text's own line numbers in problems; then checks that each
// controller carries every slot that rings in a schedule it may be given.
void readScheduleTexts(Site &site, QList<SiteProblem> &problems);
