#include "CommandLine.h"

#include "DefaultPaths.h"
#include "ExitCode.h"
#include "operations/DeviceOperations.h"
#include "print/WeekPageFile.h"
#include "schedule/DeviceModelNames.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

namespace {

// Which options a subcommand takes besides --json.
enum OptionUse { UsesLink = 1, UsesModel = 2, UsesCalendar = 4, UsesVerify = 8, UsesTitle = 16 };

struct SubcommandInfo
{
    Subcommand command;
    QString name;
    QString usage;
    int options;
    QString summary;
};

const QList<SubcommandInfo> &subcommands()
{
    static const QList<SubcommandInfo> table = {
        {Subcommand::Send, QStringLiteral("send"), QStringLiteral("send [--verify]"), UsesLink | UsesModel | UsesCalendar | UsesVerify,
         QStringLiteral("send the schedule to the controller")},
        {Subcommand::Receive, QStringLiteral("receive"), QStringLiteral("receive"), UsesLink | UsesModel | UsesCalendar,
         QStringLiteral("read the controller's schedule into the file")},
        {Subcommand::Verify, QStringLiteral("verify"), QStringLiteral("verify"), UsesLink | UsesModel | UsesCalendar,
         QStringLiteral("compare the controller's schedule with the file")},
        {Subcommand::ClockSet, QStringLiteral("clock set"), QStringLiteral("clock set"), UsesLink | UsesModel | UsesCalendar,
         QStringLiteral("set the controller's clock from the PC's")},
        {Subcommand::ClockRead, QStringLiteral("clock read"), QStringLiteral("clock read"), UsesLink | UsesModel | UsesCalendar,
         QStringLiteral("print the controller's clock and its offset from the PC")},
        {Subcommand::RelayTest, QStringLiteral("relay-test"), QStringLiteral("relay-test SECONDS"), UsesLink | UsesModel | UsesCalendar,
         QStringLiteral("ring the bell relay once for 1 to 30 seconds")},
        {Subcommand::Export, QStringLiteral("export"), QStringLiteral("export [CSV]"), UsesCalendar,
         QStringLiteral("the schedule file as text, to CSV or standard output")},
        {Subcommand::Import, QStringLiteral("import"), QStringLiteral("import [CSV]"), UsesModel | UsesCalendar,
         QStringLiteral("text from CSV or standard input into the schedule file")},
        {Subcommand::Print, QStringLiteral("print"), QStringLiteral("print OUT"), UsesModel | UsesCalendar | UsesTitle,
         QStringLiteral("the week on one A4 page: OUT.pdf, .png, .svg, or - (PDF)")},
    };
    return table;
}

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version.")};
    QCommandLineOption model{QStringLiteral("model"),
                             QStringLiteral("Controller model: %1 (any case). Default: the model stored in the schedule file.")
                                 .arg(modelNameList(true, QStringLiteral(", or "))),
                             QStringLiteral("MODEL")};
    QCommandLineOption tcp{QStringLiteral("tcp"),
                           QStringLiteral("Reach the controller over TCP; PORT 5600 when left out, [IPv6]:PORT. "
                                          "IPv4 without leading zeros; an IPv6 scope is an interface name."),
                           QStringLiteral("HOST[:PORT]")};
    QCommandLineOption serial{QStringLiteral("serial"),
                              QStringLiteral("Reach the controller over a serial line: a device path, or a port number 1-16 "
                                             "mapped as in the window (SerialPorts.txt). Line settings follow the model."),
                              QStringLiteral("DEVICE")};
    QCommandLineOption calendar{QStringLiteral("calendar"), QStringLiteral("Schedule file (default: the window's RingCalendar.dat)."),
                                QStringLiteral("FILE")};
    QCommandLineOption verify{QStringLiteral("verify"), QStringLiteral("send: read the schedule back and compare, as verify does.")};
    QCommandLineOption json{QStringLiteral("json"), QStringLiteral("Print one JSON result object on standard output.")};
    QCommandLineOption title{QStringLiteral("title"), QStringLiteral("print: the page's title (default: \"Zil Takvimi\")."),
                             QStringLiteral("TEXT")};

    QList<QCommandLineOption> all() const { return {help, version, model, tcp, serial, calendar, verify, json, title}; }
    void addTo(QCommandLineParser &parser) const { parser.addOptions(all()); }
};

Invocation refusal(const QString &error)
{
    Invocation invocation;
    invocation.action = Invocation::Action::Refuse;
    invocation.error = error;
    return invocation;
}

// A command is its words as typed, one argument each: "clock read" given as
// one word is no command.
const SubcommandInfo *findSubcommand(const QStringList &words)
{
    for (const SubcommandInfo &info : subcommands()) {
        const QStringList name = info.name.split(u' ');
        if (words.mid(0, name.size()) == name)
            return &info;
    }
    return nullptr;
}

// Options given to a subcommand that has no use for them are refused, so a
// mistyped script fails loudly instead of doing something else.
QString unusedOption(const QCommandLineParser &parser, const Options &o, const SubcommandInfo &info)
{
    const struct
    {
        const QCommandLineOption &option;
        int use;
    } checks[] = {{o.tcp, UsesLink},          {o.serial, UsesLink},   {o.model, UsesModel},
                  {o.calendar, UsesCalendar}, {o.verify, UsesVerify}, {o.title, UsesTitle}};
    for (const auto &check : checks) {
        if (parser.isSet(check.option) && !(info.options & check.use))
            return QStringLiteral("--%1 does not apply to %2").arg(check.option.names().constLast(), info.name);
    }
    return {};
}

QString repeatedOption(const QCommandLineParser &parser, const Options &o)
{
    for (const QCommandLineOption *option : {&o.model, &o.tcp, &o.serial, &o.calendar, &o.title}) {
        if (parser.values(*option).size() > 1)
            return QStringLiteral("--%1 is given more than once").arg(option->names().constLast());
    }
    return {};
}

} // namespace

Invocation parseCommandLine(const QStringList &arguments)
{
    const Options o;
    QCommandLineParser parser;
    o.addTo(parser);
    if (!parser.parse(arguments))
        return refusal(parser.errorText());
    if (parser.isSet(o.help)) {
        Invocation help;
        help.action = Invocation::Action::ShowHelp;
        return help;
    }
    if (parser.isSet(o.version)) {
        Invocation version;
        version.action = Invocation::Action::ShowVersion;
        return version;
    }
    if (const QString error = repeatedOption(parser, o); !error.isEmpty())
        return refusal(error);

    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return refusal(QStringLiteral("no command given; zilctl --help lists them"));
    if (words[0] == u"clock" && (words.size() < 2 || (words[1] != u"set" && words[1] != u"read")))
        return refusal(QStringLiteral("clock wants set or read"));
    const SubcommandInfo *info = findSubcommand(words);
    if (!info)
        return refusal(QStringLiteral("'%1' is not a command%2; zilctl --help lists them")
                           .arg(words[0], words[0].contains(u' ') ? QStringLiteral(" (give each word of a command as an "
                                                                                   "argument of its own)")
                                                                  : QString()));
    words = words.mid(info->name.split(u' ').size());
    // From here on a refusal names its command, for --json.
    const auto refuse = [&](const QString &error) {
        Invocation invocation = refusal(error);
        invocation.commandName = info->name;
        invocation.json = parser.isSet(o.json);
        return invocation;
    };
    if (const QString error = unusedOption(parser, o, *info); !error.isEmpty())
        return refuse(error);

    Invocation invocation;
    invocation.action = Invocation::Action::Run;
    invocation.command = info->command;
    invocation.commandName = info->name;
    invocation.json = parser.isSet(o.json);
    invocation.verifyAfterSend = parser.isSet(o.verify);
    invocation.calendarPath = parser.isSet(o.calendar) ? parser.value(o.calendar) : defaultCalendarPath();
    if (invocation.calendarPath.isEmpty())
        return refuse(QStringLiteral("--calendar: the file name is empty"));

    if (parser.isSet(o.model)) {
        invocation.model = modelFromName(parser.value(o.model));
        if (!invocation.model)
            return refuse(
                QStringLiteral("--model: '%1' is not a model (%2)").arg(parser.value(o.model), modelNameList(true, QStringLiteral(", "))));
    }

    if (info->options & UsesLink) {
        if (parser.isSet(o.tcp) == parser.isSet(o.serial))
            return refuse(QStringLiteral("%1 needs one of --tcp HOST[:PORT] and --serial DEVICE").arg(info->name));
        const Result<LinkSettings> link =
            parser.isSet(o.tcp) ? parseTcpTarget(parser.value(o.tcp))
                                : parseSerialTarget(parser.value(o.serial), SerialPortMap::fromDirectory(serialPortMapDirectory()));
        if (!link)
            return refuse(link.error());
        invocation.link = *link;
    }

    if (info->command == Subcommand::RelayTest) {
        static const QRegularExpression digits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,2}")));
        const QString seconds = words.value(0);
        const int value = digits.match(seconds).hasMatch() ? seconds.toInt() : 0;
        if (words.isEmpty() || value < ShortestRelayTest || value > LongestRelayTest)
            return refuse(QStringLiteral("relay-test: '%1' is not a whole number of seconds from 1 to 30").arg(seconds));
        invocation.relaySeconds = value;
        words.removeFirst();
    } else if (info->command == Subcommand::Export || info->command == Subcommand::Import) {
        // "-" names the standard stream; an empty name (an unset variable in
        // a script) names nothing.
        if (!words.isEmpty() && words[0].isEmpty())
            return refuse(QStringLiteral("%1: the CSV file name is empty; '-' or no name means standard %2")
                              .arg(info->name, info->command == Subcommand::Export ? QStringLiteral("output") : QStringLiteral("input")));
        if (!words.isEmpty() && words[0] != u"-")
            invocation.textPath = words[0];
        if (!words.isEmpty())
            words.removeFirst();
    } else if (info->command == Subcommand::Print) {
        if (words.isEmpty())
            return refuse(QStringLiteral("print needs OUT: a .pdf, .png or .svg file, or - for a PDF on standard output"));
        const QString out = words.takeFirst();
        if (out != u"-" && !pageFormatOf(out))
            return refuse(QStringLiteral("print: '%1' does not end in .pdf, .png or .svg").arg(out));
        if (out == u"-" && invocation.json)
            return refuse(QStringLiteral("print: --json and - both want standard output"));
        invocation.pagePath = out == u"-" ? QString() : out;
        invocation.title = parser.value(o.title);
    }
    if (!words.isEmpty())
        return refuse(QStringLiteral("%1: unexpected '%2'").arg(info->name, words[0]));
    return invocation;
}

namespace {
// "24 a day; 64 for "V3  (64 Zaman)"", from the model table.
QString carriedSlotsText()
{
    const int usual = facts(DeviceModel::V1).slotsCarried;
    QString text = QStringLiteral("%1 a day").arg(usual);
    for (const ModelFacts &row : ModelTable::Rows)
        if (row.slotsCarried != usual)
            text += QStringLiteral("; %1 for \"%2\"").arg(row.slotsCarried).arg(row.caption);
    return text;
}
} // namespace

QList<QCommandLineOption> commandLineOptions()
{
    return Options().all();
}

QString helpText()
{
    const Options o;
    QCommandLineParser parser;
    o.addTo(parser);
    const QString options = parser.helpText();

    QString text = QStringLiteral("Usage: zilctl COMMAND [ARGS] [options]\n"
                                  "The bell controller's device work from a shell, a cron job or a script, with the\n"
                                  "same conversation as the window; and the schedule file as text.\n"
                                  "\nCommands:\n");
    for (const SubcommandInfo &info : subcommands())
        text += QStringLiteral("  %1%2\n").arg(info.usage, -21).arg(info.summary);
    text += u'\n' + options.mid(options.indexOf(QStringLiteral("Options:")));
    text += QStringLiteral("\nDevice commands:\n"
                           "  They need --tcp or --serial and speak to the controller as the window does,\n"
                           "  with the model's commands and the window's result texts. A transfer draws a\n"
                           "  progress bar on standard error when that is a terminal.\n"
                           "  verify, send --verify: read the controller's schedule back and list every slot\n"
                           "  field that differs from the file: in_use (rings or not), time (HH:MM) and\n"
                           "  seconds, over the slots the model carries (") +
            carriedSlotsText() +
            QStringLiteral(").\n"
                           "  receive: writes the file only when the whole schedule arrived.\n"
                           "  relay-test: a V1 has no relay test; zilctl says so and exits 2.\n"
                           "\nSchedule text (CSV):\n"
                           "  # model: V3  (64 Zaman)\n"
                           "  day,slot,in_use,time,seconds\n"
                           "  1,1,1,06:00,3\n"
                           "  day 1-7 (Monday first), slot 1-64, time HH:MM, in_use and seconds as stored.\n"
                           "  import writes nothing when a line is wrong. Slots the text leaves out keep\n"
                           "  the file's values, or are off at 00:00 with 3 seconds when there is no file.\n"
                           "  The model: --model, else the '# model:' line, else the file's.\n"
                           "\nPrinted page:\n"
                           "  print draws the file's week on one A4 landscape page, Monday to Sunday, as the\n"
                           "  window prints it: the rings in use in time order (\"08:30  3 sn\"), or the\n"
                           "  intervals (\"08:30 – 09:10\"). It needs no display. OUT is written whole or\n"
                           "  not at all; a week that does not fit at 8 pt is refused.\n");
    const struct
    {
        ExitCode code;
        const char *meaning;
    } codes[] = {
        {ExitCode::Success, "success"},
        {ExitCode::DeviceFailed, "the controller refused or did not answer, or another program talks to it;\n"
                                 "       receive leaves the file as it was"},
        {ExitCode::BadInput, "bad arguments, a bad schedule file or text, or a relay test asked of a V1;\n"
                             "       nothing was sent or written"},
        {ExitCode::LinkNotOpened, "the serial port or the TCP connection could not be opened"},
        {ExitCode::Differences, "verify or send --verify found differences"},
        {ExitCode::OutputNotWritten, "the output file of print or export could not be written; any old file\n"
                                     "       stays as it was"},
        {ExitCode::Interrupted, "interrupted by Ctrl-C or SIGTERM: a transfer stops after the record under way,\n"
                                "       a single command after its answer; a second signal ends zilctl at once"},
    };
    text += QStringLiteral("\nExit codes:\n");
    for (const auto &code : codes)
        text += QStringLiteral("  %1  %2\n").arg(exitStatus(code.code), 3).arg(QLatin1String(code.meaning));
    return text;
}
