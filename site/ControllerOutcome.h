#pragma once

#include "operations/ExitCode.h"
#include "schedule/Result.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// What was done to one controller and what it holds afterwards; only what
// is known: a value that was not read is absent.
struct ControllerOutcome
{
    enum class Action { None, Sent, WouldSend, ClockSet, Failed };

    QString name;
    QString link;         // "tcp 10.0.0.21", "serial 1"
    QString model;        // the caption
    bool reached = false; // its clock or its schedule answered
    Action action = Action::None;
    QString message;
    // Slots that differ from the planned week, as last read; absent when the
    // schedule was not read, or a send failed after it was.
    std::optional<int> differences;
    bool clockRead = false;                   // the clock answered
    std::optional<qint64> clockOffsetSeconds; // absent when not read or its fields make no date
    bool clockSet = false;
    bool wouldSetClock = false;

    // A read or a write was refused, unanswered, cut off or not begun.
    bool failed() const { return action == Action::Failed; }
};

// "none", "sent", "would-send", "clock-set", "failed"
QString actionName(ControllerOutcome::Action action);
std::optional<ControllerOutcome::Action> actionFromName(const QString &name);

// A controller's verdict: 0 in plan and on time, 4 reached but holding
// another week or off in time, 1 not read or not written.
ExitCode controllerExitCode(const ControllerOutcome &outcome, int clockToleranceSeconds);

// The one writer and reader of an outcome as JSON, for the child's result
// and for a run's report alike. Unknown values are null.
QJsonObject controllerOutcomeJson(const ControllerOutcome &outcome);
Result<ControllerOutcome> controllerOutcomeFromJson(const QJsonObject &json);

// What a status or an apply found, controller by controller.
struct SiteWorkResult
{
    QList<ControllerOutcome> outcomes; // in the site's order
    bool interrupted = false;
};
