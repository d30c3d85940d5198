#include "site/ChildContract.h"

#include "schedule/CalendarFile.h"
#include "schedule/DeviceModelNames.h"

#include <QJsonDocument>

namespace {
namespace Key {
const QString Version = QStringLiteral("version");
const QString Controller = QStringLiteral("controller");
const QString Tcp = QStringLiteral("tcp");
const QString Host = QStringLiteral("host");
const QString Port = QStringLiteral("port");
const QString Serial = QStringLiteral("serial");
const QString Model = QStringLiteral("model");
const QString Apply = QStringLiteral("apply");
const QString DryRun = QStringLiteral("dry_run");
const QString SetClocks = QStringLiteral("set_clocks");
const QString Tolerance = QStringLiteral("clock_tolerance_seconds");
const QString PlannedWeek = QStringLiteral("planned_week"); // the schedule file's bytes, base64
const QString Progress = QStringLiteral("progress");
const QString Result = QStringLiteral("result");
const QString Stopped = QStringLiteral("stopped");
} // namespace Key

Result<QJsonObject> versionedObject(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return failure(QStringLiteral("not a JSON object: %1").arg(error.errorString()));
    const QJsonObject object = document.object();
    if (object.value(Key::Version).toInt(-1) != ChildContractVersion)
        return failure(QStringLiteral("version %1 where %2 is spoken")
                           .arg(object.value(Key::Version).toVariant().toString())
                           .arg(ChildContractVersion));
    return object;
}

QByteArray line(QJsonObject object)
{
    object.insert(Key::Version, ChildContractVersion);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

QJsonObject childRequestJson(const ChildRequest &r)
{
    QJsonObject json{{Key::Version, ChildContractVersion},
                     {Key::Controller, r.controller},
                     {Key::Model, modelShortName(r.model)},
                     {Key::Apply, r.apply},
                     {Key::DryRun, r.dryRun},
                     {Key::SetClocks, r.setClocks},
                     {Key::Tolerance, r.clockToleranceSeconds},
                     {Key::PlannedWeek, QString::fromLatin1(calendarToBytes(r.plannedWeek).toBase64())}};
    if (r.transport == LinkTransport::Tcp)
        json.insert(Key::Tcp, QJsonObject{{Key::Host, r.host}, {Key::Port, r.tcpPort}});
    else
        json.insert(Key::Serial, r.serialTarget);
    return json;
}

Result<ChildRequest> childRequestFromJson(const QByteArray &json)
{
    const Result<QJsonObject> read = versionedObject(json);
    if (!read)
        return failure(read.error());
    const QJsonObject &o = *read;
    ChildRequest r;
    r.controller = o.value(Key::Controller).toString();
    const std::optional<DeviceModel> model = modelFromName(o.value(Key::Model).toString());
    if (!model)
        return failure(QStringLiteral("\"%1\" names no model").arg(Key::Model));
    r.model = *model;
    if (o.value(Key::Tcp).isObject()) {
        const QJsonObject tcp = o.value(Key::Tcp).toObject();
        r.transport = LinkTransport::Tcp;
        r.host = tcp.value(Key::Host).toString();
        r.tcpPort = tcp.value(Key::Port).toInt(0);
        if (r.host.isEmpty() || r.tcpPort < LowestTcpPort || r.tcpPort > HighestTcpPort)
            return failure(QStringLiteral("\"%1\" wants a host and a port").arg(Key::Tcp));
    } else if (o.value(Key::Serial).isString() && !o.value(Key::Serial).toString().isEmpty()) {
        r.transport = LinkTransport::Serial;
        r.serialTarget = o.value(Key::Serial).toString();
    } else {
        return failure(QStringLiteral("neither \"%1\" nor \"%2\" is given").arg(Key::Tcp, Key::Serial));
    }
    for (const auto &[key, flag] : {std::pair{&Key::Apply, &r.apply}, {&Key::DryRun, &r.dryRun}, {&Key::SetClocks, &r.setClocks}}) {
        if (!o.value(*key).isBool())
            return failure(QStringLiteral("\"%1\" is not true or false").arg(*key));
        *flag = o.value(*key).toBool();
    }
    r.clockToleranceSeconds = o.value(Key::Tolerance).toInt(-1);
    if (r.clockToleranceSeconds < 0)
        return failure(QStringLiteral("\"%1\" is not a number of seconds").arg(Key::Tolerance));
    const QByteArray week =
        QByteArray::fromBase64(o.value(Key::PlannedWeek).toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (week.size() != CalendarFileSize)
        return failure(QStringLiteral("\"%1\" is not a schedule of %2 bytes").arg(Key::PlannedWeek).arg(CalendarFileSize));
    overlayCalendarBytes(r.plannedWeek, week);
    return r;
}

QByteArray childProgressLine(int percent)
{
    return line({{Key::Progress, percent}});
}

QByteArray childResultLine(const ChildResult &result)
{
    QJsonObject outcome = controllerOutcomeJson(result.outcome);
    outcome.insert(Key::Stopped, result.stopped);
    return line({{Key::Result, outcome}});
}

Result<ChildLine> childLineFromJson(const QByteArray &json)
{
    const Result<QJsonObject> read = versionedObject(json);
    if (!read)
        return failure(read.error());
    if (const QJsonValue progress = read->value(Key::Progress); progress.isDouble())
        return ChildLine(qBound(0, progress.toInt(), 100));
    const QJsonObject result = read->value(Key::Result).toObject();
    const Result<ControllerOutcome> outcome = controllerOutcomeFromJson(result);
    if (!outcome)
        return failure(QStringLiteral("its result: %1").arg(outcome.error()));
    if (!result.value(Key::Stopped).isBool())
        return failure(QStringLiteral("its result: \"%1\" is not true or false").arg(Key::Stopped));
    return ChildLine(ChildResult{*outcome, result.value(Key::Stopped).toBool()});
}
