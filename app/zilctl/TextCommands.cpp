#include "TextCommands.h"

#include "ScheduleFileInput.h"
#include "schedule/CalendarFile.h"
#include "schedule/CalendarText.h"
#include "schedule/DeviceModelNames.h"
#include "schedule/WholeFile.h"

#include <QFile>
#include <QJsonArray>
#include <cstdio>
#include <unistd.h>

namespace {

// Past this many wrong lines the text is likely not a schedule at all; the
// --json object still lists every one.
constexpr qsizetype ProblemsShown = 20;

CommandResult badInput(const QString &message, const QJsonObject &details = {})
{
    return CommandResult::failure(ExitCode::BadInput, message, details);
}

Result<QString> readText(const QString &path)
{
    const QString kind = QStringLiteral("a schedule's text");
    if (!path.isEmpty()) {
        const Result<QByteArray> bytes = readCappedFile(path, LargestCalendarText, kind);
        return bytes ? Result<QString>(QString::fromUtf8(*bytes)) : failure(path + u' ' + bytes.error());
    }
    if (::isatty(STDIN_FILENO))
        return failure(QStringLiteral("import reads the text from a file or a pipe, not from the terminal"));
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return failure(QStringLiteral("standard input cannot be read: %1").arg(input.errorString()));
    const Result<QByteArray> bytes = readCapped(input, LargestCalendarText, kind);
    return bytes ? Result<QString>(QString::fromUtf8(*bytes)) : failure(QStringLiteral("standard input ") + bytes.error());
}

QJsonArray problemsAsJson(const QList<TextProblem> &problems)
{
    QJsonArray array;
    for (const TextProblem &p : problems)
        array.append(
            QJsonObject{{QStringLiteral("line"), p.line}, {QStringLiteral("field"), p.field}, {QStringLiteral("message"), p.message}});
    return array;
}

} // namespace

CommandResult exportCalendarText(const Invocation &invocation)
{
    const Result<RingCalendar> input = readWholeScheduleFile(invocation.calendarPath);
    if (!input)
        return badInput(input.error());
    const std::optional<DeviceModel> stored = storedModel(*input);
    if (!stored)
        return badInput(QStringLiteral("schedule file %1 holds model %2, which is none of the five")
                            .arg(invocation.calendarPath)
                            .arg(input->DeviceVersion));

    const QByteArray text = calendarToText(*input).toUtf8();
    QJsonObject details{{QStringLiteral("calendar"), invocation.calendarPath}, {QStringLiteral("model"), modelCaption(*stored)}};
    if (invocation.textPath.isEmpty()) {
        if (invocation.json)
            details.insert(QStringLiteral("text"), QString::fromUtf8(text));
        return {ExitCode::Success, {}, text, details};
    }
    if (const Result<> written = writeWholeFile(invocation.textPath, text); !written)
        return CommandResult::failure(ExitCode::OutputNotWritten,
                                      QStringLiteral("%1 cannot be written: %2").arg(invocation.textPath, written.error()));
    details.insert(QStringLiteral("text_file"), invocation.textPath);
    return {ExitCode::Success, QStringLiteral("%1 written from %2").arg(invocation.textPath, invocation.calendarPath), {}, details};
}

CommandResult importCalendarText(const Invocation &invocation)
{
    const Result<QString> input = readText(invocation.textPath);
    if (!input)
        return badInput(input.error());
    const CalendarTextReading reading = readCalendarText(*input);
    if (!reading.ok()) {
        QStringList lines;
        for (const TextProblem &problem : reading.problems.first(std::min(reading.problems.size(), ProblemsShown)))
            lines << problem.toString();
        if (reading.problems.size() > ProblemsShown)
            lines << QStringLiteral("... and %1 more").arg(reading.problems.size() - ProblemsShown);
        return badInput(QStringLiteral("the text was refused, nothing was written:\n%1").arg(lines.join(u'\n')),
                        {{QStringLiteral("problems"), problemsAsJson(reading.problems)}});
    }

    // Slots the text leaves out keep the file's values, or are cleared when
    // there is no file yet.
    const Result<std::optional<RingCalendar>> replaced = readScheduleToReplace(invocation.calendarPath);
    if (!replaced)
        return badInput(replaced.error());
    const std::optional<RingCalendar> &base = *replaced;
    std::optional<DeviceModel> model = invocation.model ? invocation.model : reading.model;
    if (!model && base)
        model = storedModel(*base);
    if (!model)
        return badInput(QStringLiteral("the text names no model: add a '# model: ...' line or give --model"));

    RingCalendar calendar = base ? *base : clearedCalendar(*model);
    reading.applyTo(calendar);
    calendar.DeviceVersion = qint16(*model);
    if (const Result<> saved = SaveCalendar(calendar, invocation.calendarPath); !saved)
        return badInput(QStringLiteral("%1 cannot be written: %2").arg(invocation.calendarPath, saved.error()));

    const int given = reading.slotCount();
    return {ExitCode::Success,
            QStringLiteral("%1 written: model %2, %3 slots from the text, %4 %5")
                .arg(invocation.calendarPath, modelCaption(*model))
                .arg(given)
                .arg(SlotTotal - given)
                .arg(base ? QStringLiteral("kept") : QStringLiteral("cleared")),
            {},
            {{QStringLiteral("calendar"), invocation.calendarPath},
             {QStringLiteral("model"), modelCaption(*model)},
             {QStringLiteral("slots_from_text"), given}}};
}
