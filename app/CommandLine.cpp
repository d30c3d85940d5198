#include "CommandLine.h"

#include "schedule/ProgramIdentity.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {
const QCommandLineOption SiteOption{QStringLiteral("site"),
                                    QStringLiteral("Yıllık Zil Planı penceresini bu plan dosyasıyla açar.\n"
                                                   "Opens the year window over this site file."),
                                    QStringLiteral("FILE")};
const QCommandLineOption YearOption{QStringLiteral("year"), QStringLiteral("Yıllık Zil Planı penceresini son açılan plan dosyasıyla açar.\n"
                                                                           "Opens the year window over the site file opened last.")};

void describeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("ZK-480 zil kontrol cihazının haftalık zil takvimini düzenler, cihaza gönderir ve cihazdan alır.\n"
                       "Edits the weekly ring schedule of the ZK-480 bell controller, sends it and reads it back."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(SiteOption);
    parser.addOption(YearOption);
}
} // namespace

std::optional<int> answerInformationOptions(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    setProgramIdentity();
    QCommandLineParser parser;
    describeOptions(parser);
    // Qt's window options are not known here; they are checked later.
    parser.parse(app.arguments());
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(app); // prints Qt's options too, and exits
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(ProgramVersion));
        return 0;
    }
    return std::nullopt;
}

WindowOptions readWindowOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(app);
    return {parser.value(SiteOption), parser.isSet(YearOption)};
}
