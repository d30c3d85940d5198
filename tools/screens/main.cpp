// Renders the main window for each controller model and the year window over
// the example site into PNG files, without a display: zilscreens <output directory>.
#include "schedule/CalendarCommands.h"
#include "schedule/CalendarFile.h"
#include "site/RunReport.h"
#include "ui/OperatorDialog.h"
#include "ui/YearWindow.h"
#include "ui/frmRinger.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QPixmap>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>

namespace {
// Nobody answers: the window asks nothing while it is only drawn.
class SilentDialog final : public OperatorDialog
{
public:
    DialogAnswer ask(const QString &, DialogButtons) override { return DialogAnswer::No; }
};

const char *const FileNames[ModelCount] = {
    "model-v1.png", "model-v2-24.png", "model-v2-interval.png", "main-window.png", "model-v3-interval.png",
};
// The example site on a day of its first term, after a night on which the
// gym could not be reached.
bool renderYearWindow(const QDir &output, QTextStream &err)
{
    QTemporaryDir state;
    RunReport night;
    night.verb = QStringLiteral("apply");
    night.siteName = QStringLiteral("Atatürk Anadolu Lisesi");
    night.finishedAt = QDateTime(QDate(2026, 12, 7), QTime(0, 5));
    night.exitCode = 1;
    for (const char *name : {"a-blok", "b-blok", "spor-salonu"}) {
        ControllerOutcome outcome;
        outcome.name = QLatin1String(name);
        outcome.reached = outcome.name != QLatin1String("spor-salonu");
        outcome.action = outcome.reached ? ControllerOutcome::Action::Sent : ControllerOutcome::Action::Failed;
        outcome.message = outcome.reached ? QString() : QStringLiteral("serial 1: no answer");
        night.outcomes << outcome;
    }
    const QString report = state.filePath(QStringLiteral("last-run.json"));
    QFile file(report);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(runReportJson(night)).toJson()) < 0)
        return false;
    file.close();
    qputenv("ZILSISTEMI_NIGHTLY_REPORT", report.toLocal8Bit());

    SilentDialog dialog;
    QElapsedTimer opening;
    opening.start();
    YearWindow window(dialog);
    window.setToday(QDate(2026, 12, 7));
    if (!window.openSite(QStringLiteral(EXAMPLE_SITE)))
        return false;
    window.resize(window.sizeHint());
    window.show();
    QCoreApplication::processEvents();
    err << "year window: the example site opened and drawn in " << opening.elapsed() << " ms\n";
    // One building's year: its exam week in its own colour.
    auto *controllers = window.cmbController;
    controllers->setCurrentIndex(controllers->findData(QStringLiteral("a-blok")));
    emit controllers->activated(controllers->currentIndex());
    QCoreApplication::processEvents();
    const QPixmap picture = window.grab();
    return picture.save(output.filePath(QStringLiteral("year-window.png")));
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: zilscreens <output directory>\n";
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    if (!output.exists() && !QDir().mkpath(output.path())) {
        err << "cannot create " << output.path() << "\n";
        return 1;
    }

    int failures = 0;
    for (int model = 0; model < ModelCount; ++model) {
        // Each window gets a data directory of its own with the factory
        // schedule stored for the model, so nothing real is touched.
        QTemporaryDir data;
        RingCalendar calendar;
        FactoryDefault(calendar);
        calendar.DeviceVersion = qint16(model);
        if (!data.isValid() || !SaveCalendar(calendar, calendarFilePath(data.path()))) {
            err << "cannot prepare a data directory\n";
            return 1;
        }
        SilentDialog dialog;
        frmRinger window(data.path(), dialog);
        window.show();
        window.Form_Activate();
        QCoreApplication::processEvents();
        const QString path = output.filePath(QLatin1String(FileNames[model]));
        if (!window.grab().save(path)) {
            err << "cannot write " << path << "\n";
            ++failures;
        }
        window.hide(); // not closed: closing would store files in the temporary directory only
    }
    if (!renderYearWindow(output, err)) {
        err << "cannot render the year window\n";
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
