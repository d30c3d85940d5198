#pragma once

#include "support/FileBytes.h"
#include "support/ScriptedDialog.h"
#include "ui/frmRinger.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// A main window over a temporary data directory of its own, answered by a
// scripted dialog. Files may be put in place before the window starts.
class WindowFixture
{
public:
    WindowFixture() { QVERIFY2(dataDir.isValid(), "no temporary directory"); }

    QString path(const QString &fileName) const { return QDir(dataDir.path()).filePath(fileName); }

    bool writeFile(const QString &fileName, const QByteArray &bytes) const { return writeFileBytes(path(fileName), bytes); }
    QByteArray readFile(const QString &fileName) const { return readFileBytes(path(fileName)); }

    // Starts the window (Form_Load) and, unless told not to, runs the first activation as the window system would.
    frmRinger &start(bool activate = true)
    {
        window = std::make_unique<frmRinger>(dataDir.path(), dialog);
        if (activate)
            window->Form_Activate();
        return *window;
    }

    template<typename T>
    T *child(const QString &name) const
    {
        T *found = window->findChild<T *>(name);
        if (!found)
            qWarning("no control named %s", qPrintable(name));
        return found;
    }

    template<typename T>
    T *row(const char *name, int index) const
    {
        return child<T>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
    }

    QTemporaryDir dataDir;
    ScriptedDialog dialog;
    std::unique_ptr<frmRinger> window;
};
