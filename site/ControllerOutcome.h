#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// What was done to one controller and what it holds afterwards.
struct ControllerOutcome
{
    enum class Action { None, Sent, WouldSend, ClockSet, Failed };

    QString name;
    QString link;  // "tcp 10.0.0.21", "serial 1"
    QString model; // the caption
    bool reached = false;
    bool failed = false; // a read or a write was refused, unanswered or cut off
    QString message;
    int differences = -1; // slots that differ from the planned week; -1 not read
    std::optional<qint64> clockOffsetSeconds;
    bool clockRead = false;
    Action action = Action::None;
    bool clockSet = false;
    bool wouldSetClock = false;
};

// "none", "sent", "would-send", "clock-set", "failed"
QString actionName(ControllerOutcome::Action action);

// What a status or an apply found, controller by controller.
struct SiteWorkResult
{
    QList<ControllerOutcome> outcomes; // in the site's order
    bool interrupted = false;
};
