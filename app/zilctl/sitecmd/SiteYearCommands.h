#pragma once

#include <QStringList>

// `zilctl site period add|change|remove ...` and `zilctl site print --year ...`:
// the site's year, edited and printed, without contact.

// True for those commands, once the command is known to be `site ...`.
bool isSiteYearCommand(const QStringList &arguments);
// True when the command draws a page: it needs a QGuiApplication first.
bool drawsYearPage(const QStringList &arguments);
int runSiteYearCommand(const QStringList &arguments);
QString siteYearHelpText();
