#include "TextCommands.h"

#include "ScheduleFileInput.h"
#include "schedule/CalendarFile.h"
#include "schedule/CalendarText.h"
#include "schedule/DeviceModelNames.h"

#include <QFile>
#include <QJsonArray>
#include <QSaveFile>
#include <cstdio>
#include <unistd.h>

namespace {

// A whole week is about 10 KiB of text; anything far larger is not a schedule.
constexpr qint64 LargestText = 1024 * 1024;
// Past this many wrong lines the text is likely not a schedule at all; the
// --json object still lists every one.
constexpr qsizetype ProblemsShown = 20;

CommandResult badInput(const QString &message, const QJsonObject &details = {})
{
    return CommandResult::failure(ExitCode::BadInput, message, details);
}

struct TextInput
{
    std::optional<QString> text;
    QString error;
};

TextInput readText(const QString &path)
{
    QFile file;
    const QString name = path.isEmpty() ? QStringLiteral("standard input") : path;
    if (path.isEmpty()) {
        if (::isatty(STDIN_FILENO))
            return {std::nullopt, QStringLiteral("import reads the text from a file or a pipe, not from the terminal")};
        if (!file.open(stdin, QIODevice::ReadOnly))
            return {std::nullopt, QStringLiteral("standard input cannot be read: %1").arg(file.errorString())};
    } else {
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            return {std::nullopt, QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString())};
    }
    const QByteArray bytes = file.read(LargestText + 1);
    if (bytes.size() > LargestText)
        return {std::nullopt, QStringLiteral("%1 is larger than %2 bytes; a schedule's text is far smaller").arg(name).arg(LargestText)};
    return {QString::fromUtf8(bytes), {}};
}

QString writeText(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
    return {};
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
    if (const QString error = writeText(invocation.textPath, text); !error.isEmpty())
        return badInput(error);
    details.insert(QStringLiteral("text_file"), invocation.textPath);
    return {ExitCode::Success, QStringLiteral("%1 written from %2").arg(invocation.textPath, invocation.calendarPath), {}, details};
}

CommandResult importCalendarText(const Invocation &invocation)
{
    const TextInput input = readText(invocation.textPath);
    if (!input.text)
        return badInput(input.error);
    const CalendarTextReading reading = readCalendarText(*input.text);
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
