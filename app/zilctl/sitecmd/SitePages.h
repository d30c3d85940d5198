#pragma once

#include "CommandResult.h"
#include "site/SiteModel.h"

// site print: the week each controller must hold on `date`, one PDF page a
// controller in `outDir` (made when missing), headed with the controller and
// the periods of that week. Every page is drawn before the first is written,
// so a week that does not fit writes nothing; each page is written whole or
// not at all. Needs a QGuiApplication (offscreen will do).
CommandResult printSitePages(const Site &site, QDate date, const QString &outDir);
