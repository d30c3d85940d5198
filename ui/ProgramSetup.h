#pragma once

class QApplication;
class QCoreApplication;

// What the window program sets before its window opens: the program's names
// and version, the icon of its windows, the desktop entry it belongs to and
// Qt's own Turkish texts for the standard dialogs and buttons.
void setUpWindowProgram(QApplication &app);

// Qt's Turkish translation, where the system has it installed (Debian:
// qt6-translations-l10n). False when it is missing; Qt's texts stay English.
bool installQtTurkish(QCoreApplication &app);
