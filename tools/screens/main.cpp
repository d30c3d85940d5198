// Renders the main window for each controller model into PNG files, without
// a display: zilscreens <output directory>.
#include "schedule/CalendarCommands.h"
#include "schedule/CalendarFile.h"
#include "ui/OperatorDialog.h"
#include "ui/frmRinger.h"

#include <QApplication>
#include <QDir>
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
    return failures == 0 ? 0 : 1;
}
