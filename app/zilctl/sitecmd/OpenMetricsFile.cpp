#include "sitecmd/OpenMetricsFile.h"

namespace {

QByteArray label(const QString &name)
{
    QByteArray escaped = name.toUtf8();
    escaped.replace('\\', "\\\\").replace('"', "\\\"").replace('\n', "\\n");
    return "{controller=\"" + escaped + "\"}";
}

struct Family
{
    const char *name;
    const char *help;
    std::function<std::optional<qint64>(const ControllerOutcome &)> value; // nullopt: no sample
};

} // namespace

QByteArray openMetricsText(const QList<ControllerOutcome> &outcomes, int clockToleranceSeconds)
{
    const Family families[] = {
        {"zil_up", "1 when the controller's clock and schedule could be read",
         [](const ControllerOutcome &o) { return std::optional<qint64>(o.reached && o.differences.has_value()); }},
        {"zil_in_plan", "1 when the controller holds its planned week and its clock is within the tolerance",
         [&](const ControllerOutcome &o) {
             return std::optional<qint64>(controllerExitCode(o, clockToleranceSeconds) == ExitCode::Success);
         }},
        {"zil_differing_slots", "Slots in which the controller differs from its planned week",
         [](const ControllerOutcome &o) { return o.differences ? std::optional<qint64>(*o.differences) : std::nullopt; }},
        {"zil_clock_offset_seconds", "The controller's clock minus the computer's",
         [](const ControllerOutcome &o) { return o.clockOffsetSeconds; }},
    };
    QByteArray text;
    for (const Family &family : families) {
        text += QByteArray("# TYPE ") + family.name + " gauge\n";
        text += QByteArray("# HELP ") + family.name + ' ' + family.help + '\n';
        for (const ControllerOutcome &o : outcomes) {
            if (const std::optional<qint64> value = family.value(o))
                text += family.name + label(o.name) + ' ' + QByteArray::number(*value) + '\n';
        }
    }
    return text + "# EOF\n";
}
