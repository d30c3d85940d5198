#pragma once

#include <QString>
#include <optional>

class QCoreApplication;

// The program's command line: --help, --version and the year window's
// options, besides Qt's own window options (-platform, -style, ...).

// Answers --help and --version on standard output before the window system is
// touched, so both work without a display. Returns the exit code when one of
// them was asked for.
std::optional<int> answerInformationOptions(int argc, char *argv[]);

// What the window opens besides itself.
struct WindowOptions
{
    QString sitePath;      // --site FILE: the year window over this site file
    bool lastSite = false; // --year: the year window over the site opened last
};

// Once Qt has taken its own options: an unknown option ends the program with
// a message and exit code 1.
WindowOptions readWindowOptions(const QCoreApplication &app);
