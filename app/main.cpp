#include "CommandLine.h"
#include "WindowProgram.h"
#include "schedule/DataDirectory.h"
#include "ui/ProgramSetup.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    if (const std::optional<int> answered = answerInformationOptions(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    setUpWindowProgram(app);
    refuseUnknownOptions(app);

    const QString dataDirectory =
        prepareDataDirectory(QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    return runWindowProgram(app, dataDirectory);
}
