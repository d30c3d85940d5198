#pragma once

#include <QString>
#include <functional>

class QApplication;
class frmRinger;

// The window program from its window to its end: the main window over the
// data folder with its message boxes, and the ways a session ends. Runs the
// event loop and returns the exit status. `shown`, when given, runs once the
// window is shown (tests open a box from it).
int runWindowProgram(QApplication &app, const QString &dataDirectory, const std::function<void(frmRinger &)> &shown = {});
