#pragma once

#include "site/ControllerOutcome.h"

#include <QJsonObject>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <functional>

struct SiteController;

// How one controller is worked: what to do and with what.
struct ControllerWorkSetup
{
    bool apply = false;
    bool dryRun = false;
    bool setClocks = false;
    int clockToleranceSeconds = 30;
    int deadlineSeconds = 600;
    QString plannedWeekPath; // the planned week as a schedule file
};

// One controller, worked through zilctl's own single-controller commands,
// each in a child process with --json: its clock, its schedule against the
// planned week, and, for apply, the send and the clock set it needs. A stall
// or a crash of the child stays this controller's.
class ControllerWork : public QObject
{
    Q_OBJECT

public:
    ControllerWork(const SiteController &controller, const ControllerWorkSetup &setup, QObject *parent = nullptr);

    void start();
    // Asks the child to stop as after Ctrl-C: a transfer ends after the
    // record under way, so a verify still tells what the controller holds.
    void cancel(const QString &why);
    const ControllerOutcome &outcome() const { return m_outcome; }

signals:
    void finished();

private:
    struct ChildResult
    {
        int exitCode = -1; // -1: crashed or cut off
        QJsonObject json;
        QString message;
    };
    using Next = std::function<void(const ChildResult &)>;

    void runChild(const QStringList &command, Next next);
    void childEnded();
    void afterClockRead(const ChildResult &read);
    void afterVerify(const ChildResult &verified);
    void afterSend(const ChildResult &sent);
    void clockStep();
    void fail(const ChildResult &result, const QString &what);
    void finish();

    QStringList m_deviceArguments; // link and model
    ControllerWorkSetup m_setup;
    ControllerOutcome m_outcome;
    QProcess m_process;
    QTimer m_deadline;
    Next m_next;
    QString m_cancelled;
    bool m_done = false;
};
