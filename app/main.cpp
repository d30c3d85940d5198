#include "ui/frmRinger.h"
#include "ui/MessageBoxDialog.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MessageBoxDialog dialog;
    frmRinger window(QCoreApplication::applicationDirPath(), dialog);
    dialog.setParent(&window);
    // Closing the main window ends the program, whatever else is open.
    QObject::connect(&window, &frmRinger::unloaded, &app, [] { QCoreApplication::exit(0); });
    window.show();
    return app.exec();
}
