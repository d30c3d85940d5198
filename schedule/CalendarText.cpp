#include "schedule/CalendarText.h"

#include "schedule/CalendarCommands.h"
#include "schedule/DateTimeValue.h"
#include "schedule/DeviceModelNames.h"
#include "schedule/NumberText.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace {

constexpr int ColumnCount = 5;
const QString RawValueMark = QStringLiteral("@0x");

bool sameBits(double a, double b)
{
    return bitsOf(a) == bitsOf(b);
}

QString timeCell(double value)
{
    const TimeOfDay t = timeOfDay(value);
    if (sameBits(value, timeValue(t.hour, t.minute)))
        return hourMinuteText(value);
    if (sameBits(value, timeValue(t.hour, t.minute, t.second)))
        return hourMinuteText(value) + u':' + twoDigits(t.second);
    return hourMinuteText(value) + RawValueMark + QStringLiteral("%1").arg(bitsOf(value), 16, 16, QLatin1Char('0')).toUpper();
}

class LineReader
{
public:
    LineReader(int line, CalendarTextReading &reading) : m_line(line), m_reading(reading) { }

    void problem(const QString &field, const QString &message) { m_reading.problems.append({m_line, field, message}); }

    std::optional<int> number(const QString &field, const QString &cell, int low, int high, const QString &what)
    {
        bool ok = false;
        const int value = cell.toInt(&ok, 10);
        if (ok && value >= low && value <= high)
            return value;
        problem(field, QStringLiteral("'%1' is not %2").arg(cell, what));
        return std::nullopt;
    }

    std::optional<double> time(const QString &cell)
    {
        const qsizetype mark = cell.indexOf(u'@');
        if (mark < 0) {
            if (const auto value = parseTimeOfDay(cell))
                return value;
            problem(QStringLiteral("time"), QStringLiteral("'%1' is not a time from 00:00 to 23:59").arg(cell));
            return std::nullopt;
        }
        static const QRegularExpression rawBits(QRegularExpression::anchoredPattern(QStringLiteral("0x([0-9A-Fa-f]{16})")));
        const QRegularExpressionMatch match = rawBits.match(cell.mid(mark + 1));
        const auto shown = parseTimeOfDay(cell.left(mark));
        if (!match.hasMatch() || !shown) {
            problem(QStringLiteral("time"), QStringLiteral("'%1' is neither HH:MM nor HH:MM@0x and 16 hex digits").arg(cell));
            return std::nullopt;
        }
        const double value = doubleOf(match.captured(1).toULongLong(nullptr, 16));
        if (hourMinuteText(*shown) != hourMinuteText(value)) {
            problem(QStringLiteral("time"), QStringLiteral("'%1' names %2 but its stored value rings at %3; "
                                                           "write the new time without the @ part")
                                                .arg(cell, hourMinuteText(*shown), hourMinuteText(value)));
            return std::nullopt;
        }
        return value;
    }

private:
    int m_line;
    CalendarTextReading &m_reading;
};

bool isHeader(const QString &line)
{
    QStringList cells = line.split(u',');
    for (QString &cell : cells)
        cell = cell.trimmed().toLower();
    return cells.join(u',') == CalendarTextHeader;
}

} // namespace

QString TextProblem::toString() const
{
    const QString where = QStringLiteral("line %1").arg(line);
    return field.isEmpty() ? where + QStringLiteral(": ") + message : where + QStringLiteral(", ") + field + QStringLiteral(": ") + message;
}

QString calendarToText(const RingCalendar &calendar)
{
    const std::optional<DeviceModel> model = modelFromNumber(calendar.DeviceVersion);
    QString text = QStringLiteral("# model: %1\n").arg(model ? modelCaption(*model) : QString::number(calendar.DeviceVersion));
    text += CalendarTextHeader + u'\n';
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            text += QStringLiteral("%1,%2,%3,%4,%5\n")
                        .arg(day)
                        .arg(slot)
                        .arg(calendar.timeUsed(day, slot))
                        .arg(timeCell(calendar.ringTime(day, slot)))
                        .arg(calendar.ringDuration(day, slot));
        }
    }
    return text;
}

RingCalendar clearedCalendar(DeviceModel model)
{
    RingCalendar calendar;
    ClearAll(calendar, model);
    return calendar;
}

int CalendarTextReading::slotCount() const
{
    return int(std::count_if(givenSlots.begin(), givenSlots.end(), [](const auto &slot) { return slot.has_value(); }));
}

void CalendarTextReading::applyTo(RingCalendar &calendar) const
{
    if (!ok())
        return;
    if (model)
        calendar.DeviceVersion = qint16(*model);
    for (int i = 0; i < SlotTotal; ++i) {
        if (!givenSlots[size_t(i)])
            continue;
        calendar.TimeUsed[size_t(i)] = givenSlots[size_t(i)]->timeUsed;
        calendar.RingTime[size_t(i)] = givenSlots[size_t(i)]->ringTime;
        calendar.RingDuration[size_t(i)] = givenSlots[size_t(i)]->ringDuration;
    }
}

CalendarTextReading readCalendarText(const QString &text)
{
    static const QRegularExpression modelLine(QRegularExpression::anchoredPattern(QStringLiteral("#\\s*model\\s*:(.*)")),
                                              QRegularExpression::CaseInsensitiveOption);
    CalendarTextReading reading;
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line = line.trimmed();
    if (!lines.isEmpty() && lines[0].startsWith(QChar(0xFEFF)))
        lines[0] = lines[0].mid(1).trimmed();
    const auto isContent = [](const QString &line) { return !line.isEmpty() && !line.startsWith(u'#'); };
    const qsizetype headerIndex = std::find_if(lines.cbegin(), lines.cend(), isHeader) - lines.cbegin();
    if (headerIndex == lines.size()) {
        const qsizetype first = std::find_if(lines.cbegin(), lines.cend(), isContent) - lines.cbegin();
        reading.problems.append({int(std::min(first, lines.size() - 1)) + 1, QStringLiteral("header"),
                                 QStringLiteral("missing; the text must start with the line '%1'").arg(CalendarTextHeader)});
    }
    int modelLineNumber = 0;

    for (int index = 0; index < lines.size(); ++index) {
        const int number = index + 1;
        const QString &line = lines[index];
        LineReader reader(number, reading);

        if (line.startsWith(u'#')) {
            const QRegularExpressionMatch match = modelLine.match(line);
            if (!match.hasMatch())
                continue;
            const QString name = match.captured(1).trimmed();
            if (modelLineNumber > 0) {
                reader.problem(QStringLiteral("model"), QStringLiteral("given again (first on line %1)").arg(modelLineNumber));
            } else if (const auto model = modelFromName(name)) {
                reading.model = *model;
            } else {
                reader.problem(QStringLiteral("model"),
                               QStringLiteral("'%1' is not a model (%2)").arg(name, modelNameList(false, QStringLiteral(", or "))));
            }
            modelLineNumber = number;
            continue;
        }
        if (line.isEmpty())
            continue;
        if (index == headerIndex)
            continue;
        if (isHeader(line)) {
            reader.problem(QStringLiteral("header"), QStringLiteral("given again (first on line %1)").arg(headerIndex + 1));
            continue;
        }
        if (index < headerIndex && headerIndex < lines.size()) {
            reader.problem(QStringLiteral("header"), QStringLiteral("'%1' comes before the header line").arg(line));
            continue;
        }

        QStringList cells = line.split(u',');
        if (cells.size() != ColumnCount) {
            reader.problem({}, QStringLiteral("%1 cells where %2 belong (%3)").arg(cells.size()).arg(ColumnCount).arg(CalendarTextHeader));
            continue;
        }
        for (QString &cell : cells)
            cell = cell.trimmed();
        const auto day = reader.number(QStringLiteral("day"), cells[0], 1, DayCount, QStringLiteral("a day from 1 to 7"));
        const auto slot = reader.number(QStringLiteral("slot"), cells[1], 1, SlotsPerDay, QStringLiteral("a slot from 1 to 64"));
        const auto used = reader.number(QStringLiteral("in_use"), cells[2], -32768, 32767,
                                        QStringLiteral("a whole number from -32768 to 32767 (1 rings)"));
        const auto time = reader.time(cells[3]);
        const auto seconds = reader.number(QStringLiteral("seconds"), cells[4], -32768, 32767,
                                           QStringLiteral("a whole number of seconds from -32768 to 32767"));
        if (!day || !slot)
            continue;
        auto &entry = reading.givenSlots[size_t(RingCalendar::flatIndex(*day, *slot))];
        if (entry) {
            reader.problem({}, QStringLiteral("day %1 slot %2 is given again (first on line %3)").arg(*day).arg(*slot).arg(entry->line));
            continue;
        }
        entry = SlotText{qint16(used.value_or(0)), time.value_or(0.0), qint16(seconds.value_or(0)), number};
    }
    return reading;
}
