#pragma once

// What a site run does when neither the site file nor the command line says
// otherwise. The help text, the manual page (read by the build from this
// file) and the command line take these; write a default nowhere else.
// Dates `site plan` shows.
inline constexpr int DefaultPlanDays = 14;
// Controllers worked at a time.
inline constexpr int DefaultJobs = 4;
// Seconds one controller's whole work may take.
inline constexpr int DefaultDeadlineSeconds = 600;
// A controller's clock this many seconds off the computer's is still on time.
inline constexpr int DefaultClockToleranceSeconds = 30;
