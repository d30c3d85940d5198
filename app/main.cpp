#include "CommandLine.h"
#include "schedule/DataDirectory.h"
#include "ui/frmRinger.h"
#include "ui/MessageBoxDialog.h"
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

    const QString dataDirectory = prepareDataDirectory(QCoreApplication::applicationDirPath(),
                                                       QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    MessageBoxDialog dialog;
    frmRinger window(dataDirectory, dialog);
    dialog.setParent(&window);
    // Closing the main window ends the program, whatever else is open.
    QObject::connect(&window, &frmRinger::unloaded, &app, [] { QCoreApplication::exit(0); });
    window.show();
    return app.exec();
}
