#pragma once

#include "schedule/DeviceModel.h"

#include <QString>
#include <optional>

// The names a controller model goes by, as the model table gives them: the
// window's button captions and the short forms typed on a command line.

// The button's caption, two blanks before a bracket: "V2  (24 Zaman)".
QString modelCaption(DeviceModel model);
// The short form: "v2-24".
QString modelShortName(DeviceModel model);
// A caption or a short form, in any letter case; runs of blanks count as
// one, so "v2 (24 zaman)" is "V2  (24 Zaman)". nullopt for anything else.
std::optional<DeviceModel> modelFromName(const QString &name);

// Every name for a message: the captions (in double quotes where they hold
// a blank, when `quoted`), `beforeShortNames`, then the short forms:
// "V1, V2  (24 Zaman), ..., or v1, v2-24, ...".
QString modelNameList(bool quoted, const QString &beforeShortNames);
