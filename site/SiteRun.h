#pragma once

#include "site/ControllerOutcome.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

struct Site;

struct SiteRunSetup
{
    bool apply = false; // false: status, reads only
    bool dryRun = false;
    bool setClocks = false;
    int jobs;             // the one default is in the site's defaults
    int deadlineSeconds;  // a controller's whole work
    QDate date;           // the plan's day, normally today
    QString childProgram; // zilctl, which works one controller in a child
};

// Works the controllers, `jobs` at a time, each in one child process over one
// link; results arrive controller by controller, as soon as each is known.
// Drives itself on the caller's event loop: the window never freezes.
class SiteRun : public QObject
{
    Q_OBJECT

public:
    SiteRun(const Site &site, const QStringList &controllerNames, const SiteRunSetup &setup, QObject *parent = nullptr);
    ~SiteRun() override;

    void start();
    // Every child stops as after Ctrl-C (a transfer ends after the record
    // under way); controllers not begun are not begun.
    void cancel();
    bool isRunning() const;
    bool wasCancelled() const;
    // In the order of `controllerNames`; an outcome is final once
    // controllerFinished(index) was emitted.
    const QList<ControllerOutcome> &outcomes() const;

signals:
    void controllerStarted(int index);
    void controllerProgress(int index, int percent);
    void controllerFinished(int index);
    void finished();
};
