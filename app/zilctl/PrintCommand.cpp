#include "PrintCommand.h"

#include "ScheduleFileInput.h"
#include "print/WeekPageFile.h"
#include "schedule/DeviceModelNames.h"
#include "schedule/WholeFile.h"

#include <QDate>
#include <QFileInfo>
#include <unistd.h>

CommandResult printWeekPage(const Invocation &invocation)
{
    const Result<RingCalendar> input = readWholeScheduleFile(invocation.calendarPath);
    if (!input)
        return CommandResult::failure(ExitCode::BadInput, input.error());
    const std::optional<DeviceModel> model = invocation.model ? invocation.model : storedModel(*input);
    if (!model)
        return CommandResult::failure(ExitCode::BadInput, unknownStoredModelError(invocation.calendarPath, *input));

    const WeekPageHeading heading{invocation.title, QFileInfo(invocation.calendarPath).fileName(), QDate::currentDate(), {}};
    const bool toStandardOutput = invocation.pagePath.isEmpty();
    if (toStandardOutput && ::isatty(STDOUT_FILENO))
        return CommandResult::failure(ExitCode::BadInput,
                                      QStringLiteral("print - writes a PDF into a pipe or a file, not to the terminal"));
    const PageFormat format = toStandardOutput ? PageFormat::Pdf : pageFormatOf(invocation.pagePath).value_or(PageFormat::Pdf);
    const RenderedPage page = renderWeekPage(format, *input, *model, heading);
    if (!page.fit.fits())
        return CommandResult::failure(ExitCode::BadInput,
                                      QStringLiteral("the week does not fit on one page even at %1 pt (%2 rings on the longest day, "
                                                     "the widest '%3'); nothing was written")
                                          .arg(SmallestEntryPointSize)
                                          .arg(page.fit.mostEntries)
                                          .arg(page.fit.widestEntry));

    QJsonObject details{{QStringLiteral("calendar"), invocation.calendarPath},
                        {QStringLiteral("model"), modelCaption(*model)},
                        {QStringLiteral("point_size"), page.fit.pointSize},
                        {QStringLiteral("columns_per_day"), page.fit.columnsPerDay}};
    if (toStandardOutput)
        return {ExitCode::Success, {}, page.bytes, details};
    if (const Result<> written = writeWholeFile(invocation.pagePath, page.bytes); !written)
        return CommandResult::failure(
            ExitCode::OutputNotWritten,
            QStringLiteral("%1 cannot be written: %2; nothing was written").arg(invocation.pagePath, written.error()));
    details.insert(QStringLiteral("page_file"), invocation.pagePath);
    return {ExitCode::Success,
            QStringLiteral("%1 written from %2: %3 pt, %4 column(s) a day")
                .arg(invocation.pagePath, invocation.calendarPath)
                .arg(page.fit.pointSize)
                .arg(page.fit.columnsPerDay),
            {},
            details};
}
