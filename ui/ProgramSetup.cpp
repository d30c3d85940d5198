#include "ui/ProgramSetup.h"

#include "schedule/ProgramIdentity.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void setUpWindowProgram(QApplication &app)
{
    setProgramIdentity();
    QGuiApplication::setDesktopFileName(QStringLiteral(ZIL_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/zilsistemi.svg")));
    installQtTurkish(app);
}

bool installQtTurkish(QCoreApplication &app)
{
    // The window speaks Turkish whatever the desktop's language, so Qt's own
    // dialogs do too.
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Turkish, QLocale::Turkey), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
