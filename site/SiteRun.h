#pragma once

#include "site/ChildContract.h"
#include "site/ControllerOutcome.h"
#include "site/SiteDefaults.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct Site;

struct SiteRunSetup
{
    bool apply = false; // false: status, reads only
    bool dryRun = false;
    bool setClocks = false;
    int jobs = DefaultJobs;
    int deadlineSeconds = DefaultDeadlineSeconds; // a controller's whole work
    QDate date;                                   // the plan's day, normally today
    QString childProgram;                         // zilctl, which works one controller in a child
};

// Works the controllers, `jobs` at a time, each in one child process over one
// link; results arrive controller by controller, as soon as each is known.
// Drives itself on the caller's event loop and never blocks it: the window
// never freezes.
class SiteRun : public QObject
{
    Q_OBJECT

public:
    SiteRun(const Site &site, const QStringList &controllerNames, const SiteRunSetup &setup, QObject *parent = nullptr);
    // Children still running are killed (SIGKILL), each waited for up to a second.
    ~SiteRun() override;

    void start();
    // Every child stops as after Ctrl-C (a transfer ends after the record
    // under way); controllers not begun are not begun. `why` heads the
    // message of each controller stopped.
    void cancel(const QString &why);
    bool isRunning() const { return m_running; }
    bool wasCancelled() const { return !m_cancelled.isEmpty(); }
    // In the order of `controllerNames`; an outcome is final once
    // controllerFinished(index) was emitted.
    const QList<ControllerOutcome> &outcomes() const { return m_outcomes; }

signals:
    void controllerStarted(int index);
    void controllerProgress(int index, int percent);
    void controllerFinished(int index);
    void finished();

private:
    struct Child;

    void startNext();
    void launch(int index);
    void readLines(int index);
    void childEnded(int index);
    void stopChild(int index, const QString &why);
    void finish();

    SiteRunSetup m_setup;
    QList<std::optional<ChildRequest>> m_requests; // none: the controller cannot be asked for
    QList<ControllerOutcome> m_outcomes;
    std::vector<std::unique_ptr<Child>> m_children;
    QList<int> m_launchOrder; // indices, the longest work first
    int m_started = 0;
    int m_ended = 0;
    bool m_running = false;
    QString m_cancelled;
};
