#pragma once

#include "link/LinkOptions.h"
#include "schedule/DeviceModel.h"
#include "schedule/RingCalendar.h"

#include <QCommandLineOption>
#include <QString>
#include <QStringList>
#include <optional>

enum class Subcommand { Send, Receive, Verify, ClockSet, ClockRead, RelayTest, Export, Import, Print };

// The command line, checked: every option known, every value in range, only
// the options the subcommand uses. Files are not looked at here.
struct Invocation
{
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };

    Action action = Action::Refuse;
    QString error; // why it was refused
    Subcommand command = Subcommand::Send;
    QString commandName; // "send", "clock read", ...
    bool json = false;
    QString calendarPath;             // --calendar, or the window's file
    std::optional<DeviceModel> model; // --model
    std::optional<LinkSettings> link; // --tcp or --serial; the line from the model
    int relaySeconds = 0;
    bool verifyAfterSend = false;
    QString textPath; // export's output, import's input; empty = standard stream
    QString pagePath; // print's output; empty = a PDF on standard output
    QString title;    // print's --title
};

// arguments[0] is the program.
Invocation parseCommandLine(const QStringList &arguments);
// The options of the device and text commands, which take values and which not.
QList<QCommandLineOption> commandLineOptions();
// Usage, subcommands, options and exit codes.
QString helpText();
