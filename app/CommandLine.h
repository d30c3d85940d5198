#pragma once

#include <optional>

class QCoreApplication;

// The program's command line: only --help and --version, besides Qt's own
// window options (-platform, -style, ...).

// Answers --help and --version on standard output before the window system is
// touched, so both work without a display. Returns the exit code when one of
// them was asked for.
std::optional<int> answerInformationOptions(int argc, char *argv[]);

// Once Qt has taken its own options: an unknown option ends the program with
// a message and exit code 1.
void refuseUnknownOptions(const QCoreApplication &app);
