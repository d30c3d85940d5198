#include "site/ControllerOutcome.h"

#include <limits>

namespace {
constexpr ControllerOutcome::Action Actions[] = {ControllerOutcome::Action::None, ControllerOutcome::Action::Sent,
                                                 ControllerOutcome::Action::WouldSend, ControllerOutcome::Action::ClockSet,
                                                 ControllerOutcome::Action::Failed};
} // namespace

QString actionName(ControllerOutcome::Action action)
{
    switch (action) {
    case ControllerOutcome::Action::None: return QStringLiteral("none");
    case ControllerOutcome::Action::Sent: return QStringLiteral("sent");
    case ControllerOutcome::Action::WouldSend: return QStringLiteral("would-send");
    case ControllerOutcome::Action::ClockSet: return QStringLiteral("clock-set");
    case ControllerOutcome::Action::Failed: return QStringLiteral("failed");
    }
    return {};
}

std::optional<ControllerOutcome::Action> actionFromName(const QString &name)
{
    for (const ControllerOutcome::Action action : Actions) {
        if (actionName(action) == name)
            return action;
    }
    return std::nullopt;
}

namespace {
namespace Key {
const QString Name = QStringLiteral("name");
const QString Link = QStringLiteral("link");
const QString Model = QStringLiteral("model");
const QString Reached = QStringLiteral("reached");
const QString Action = QStringLiteral("action");
const QString Message = QStringLiteral("message");
const QString Differences = QStringLiteral("differences");
const QString ClockRead = QStringLiteral("clock_read");
const QString ClockOffset = QStringLiteral("clock_offset_seconds");
const QString ClockSet = QStringLiteral("clock_set");
const QString WouldSetClock = QStringLiteral("would_set_clock");
} // namespace Key

// A whole number that fits `T`, or null for none; false for anything else.
template<typename T>
bool readWholeOrNull(const QJsonValue &value, std::optional<T> &number)
{
    number.reset();
    if (value.isNull() || value.isUndefined())
        return true;
    const double read = value.toDouble(0.5);
    if (!value.isDouble() || read != double(qint64(read)) || read < double(std::numeric_limits<T>::min()) ||
        read > double(std::numeric_limits<T>::max()))
        return false;
    number = T(read);
    return true;
}

} // namespace

ExitCode controllerExitCode(const ControllerOutcome &o, int clockToleranceSeconds)
{
    if (o.failed() || !o.reached || !o.differences)
        return ExitCode::DeviceFailed;
    if (*o.differences > 0 || !o.clockOffsetSeconds || qAbs(*o.clockOffsetSeconds) > clockToleranceSeconds)
        return ExitCode::Differences;
    return ExitCode::Success;
}

QJsonObject controllerOutcomeJson(const ControllerOutcome &o)
{
    return {{Key::Name, o.name},
            {Key::Link, o.link},
            {Key::Model, o.model},
            {Key::Reached, o.reached},
            {Key::Action, actionName(o.action)},
            {Key::Message, o.message},
            {Key::Differences, o.differences ? QJsonValue(*o.differences) : QJsonValue()},
            {Key::ClockRead, o.clockRead},
            {Key::ClockOffset, o.clockOffsetSeconds ? QJsonValue(*o.clockOffsetSeconds) : QJsonValue()},
            {Key::ClockSet, o.clockSet},
            {Key::WouldSetClock, o.wouldSetClock}};
}

Result<ControllerOutcome> controllerOutcomeFromJson(const QJsonObject &json)
{
    ControllerOutcome o;
    for (const auto &[key, text] :
         {std::pair{&Key::Name, &o.name}, {&Key::Link, &o.link}, {&Key::Model, &o.model}, {&Key::Message, &o.message}}) {
        if (!json.value(*key).isString())
            return failure(QStringLiteral("\"%1\" is not a text").arg(*key));
        *text = json.value(*key).toString();
    }
    for (const auto &[key, flag] : {std::pair{&Key::Reached, &o.reached},
                                    {&Key::ClockRead, &o.clockRead},
                                    {&Key::ClockSet, &o.clockSet},
                                    {&Key::WouldSetClock, &o.wouldSetClock}}) {
        if (!json.value(*key).isBool())
            return failure(QStringLiteral("\"%1\" is not true or false").arg(*key));
        *flag = json.value(*key).toBool();
    }
    const std::optional<ControllerOutcome::Action> action = actionFromName(json.value(Key::Action).toString());
    if (!action)
        return failure(QStringLiteral("\"%1\" is no action").arg(Key::Action));
    o.action = *action;
    if (!readWholeOrNull(json.value(Key::Differences), o.differences) || o.differences.value_or(0) < 0)
        return failure(QStringLiteral("\"%1\" is not a count or null").arg(Key::Differences));
    if (!readWholeOrNull(json.value(Key::ClockOffset), o.clockOffsetSeconds))
        return failure(QStringLiteral("\"%1\" is not whole seconds or null").arg(Key::ClockOffset));
    return o;
}
