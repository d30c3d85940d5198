#include "CommandLine.h"
#include "schedule/DataDirectory.h"
#include "ui/MessageBoxDialog.h"
#include "ui/ProgramSetup.h"
#include "ui/frmRinger.h"

#include <QApplication>
#include <QSessionManager>
#include <QStandardPaths>
#ifdef Q_OS_UNIX
#include "SignalPipe.h"
#include <csignal>
#endif

int main(int argc, char *argv[])
{
    if (const std::optional<int> answered = answerInformationOptions(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    setUpWindowProgram(app);
    const WindowOptions options = readWindowOptions(app);

    const QString dataDirectory =
        prepareDataDirectory(QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    MessageBoxDialog dialog;
    frmRinger window(dataDirectory, dialog);
    dialog.setParent(&window);
    // Closing the main window ends the program, whatever else is open.
    QObject::connect(&window, &frmRinger::unloaded, &app, [] { QCoreApplication::exit(0); });
    // The session's end closes the window as its close box does, so both
    // files are stored.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &frmRinger::endSession);
#ifdef Q_OS_UNIX
    // SIGTERM and SIGHUP: a logout or shutdown without a session manager.
    SignalPipe sessionEnd{SIGTERM, SIGHUP};
    QObject::connect(&sessionEnd, &SignalPipe::arrived, &window, &frmRinger::endSession);
#endif
    window.show();
    // A site that cannot be read is named in a message; the main window stays.
    if (!options.sitePath.isEmpty())
        window.openYearWindow(options.sitePath);
    else if (options.lastSite)
        window.showYearPlan();
    return app.exec();
}
