#include "WindowProgram.h"

#include "ui/MessageBoxDialog.h"
#include "ui/frmRinger.h"

#include <QApplication>
#include <QSessionManager>
#ifdef Q_OS_UNIX
#include "SignalPipe.h"
#include <csignal>
#endif

int runWindowProgram(QApplication &app, const QString &dataDirectory, const std::function<void(frmRinger &)> &shown)
{
    MessageBoxDialog dialog;
    frmRinger window(dataDirectory, dialog);
    dialog.setParent(&window);
    // Closing the main window ends the program, whatever else is open.
    QObject::connect(&window, &frmRinger::unloaded, &app, [] { QCoreApplication::exit(0); });
    // The session manager's request for the data stores both files; the
    // program goes on, as a logout another program cancels must not end it.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &frmRinger::storeFiles);
#ifdef Q_OS_UNIX
    // SIGTERM and SIGHUP: a logout or shutdown. The files are stored at the
    // first; a second ends the program at once, but not before that.
    SignalPipe sessionEnd{{SIGTERM, SIGHUP}, 0};
    sessionEnd.holdSecondUntilReleased();
    QObject::connect(&sessionEnd, &SignalPipe::arrived, &window, [&window, &sessionEnd] {
        window.endSession();
        sessionEnd.release();
    });
#endif
    window.show();
    if (shown)
        shown(window);
    return app.exec();
}
