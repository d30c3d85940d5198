#pragma once

#include <QStringView>
#include <array>

// The Turkish names of the days, Monday first: the schedule's day tabs and
// the day a controller's clock names.
inline constexpr std::array<QStringView, 7> DayNames{u"Pazartesi", u"Salı", u"Çarşamba", u"Perşembe", u"Cuma", u"Cumartesi", u"Pazar"};
