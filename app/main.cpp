#include "CommandLine.h"
#include "WindowProgram.h"
#include "schedule/DataDirectory.h"
#include "ui/ProgramSetup.h"
#include "ui/frmRinger.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    if (const std::optional<int> answered = answerInformationOptions(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    setUpWindowProgram(app);
    const WindowOptions options = readWindowOptions(app);

    const QString dataDirectory =
        prepareDataDirectory(QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    // A site that cannot be read is named in a message; the main window stays.
    return runWindowProgram(app, dataDirectory, [&options](frmRinger &window) {
        if (!options.sitePath.isEmpty())
            window.openYearWindow(options.sitePath);
        else if (options.lastSite)
            window.showYearPlan();
    });
}
