#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <functional>

// A program run to its end while this thread's event loop goes on, so that the simulators of the test's own
// process answer it; killed once `deadlineMs` have passed.
struct ServedRun
{
    int exitCode = -1; // -1: it crashed, was killed or never started
    QString out, err;
    qint64 milliseconds = 0;
};

// `prepare` sees the process before it starts: its environment, or a signal to send it on some event.
inline ServedRun runServed(const QString &program, const QStringList &arguments, int deadlineMs, const QByteArray &input = {},
                           const std::function<void(QProcess &)> &prepare = {})
{
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(deadlineMs, &loop, &QEventLoop::quit);
    if (prepare)
        prepare(process);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (process.waitForStarted(5000) && process.state() == QProcess::Running)
        loop.exec(); // a program that ended meanwhile still ends the loop: finished comes from it
    process.kill();
    process.waitForFinished(5000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()), clock.elapsed()};
}
