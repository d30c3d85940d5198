#include "ui/frmRinger.h"

#include "link/LinkOptions.h"
#include "site/SitePlan.h"
#include "ui/LastSite.h"
#include "ui/NewSitePlan.h"
#include "ui/OperatorDialog.h"
#include "ui/YearWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QStandardPaths>
#include <cmath>

// The site's year from the main window: the year window, a first plan made
// from the window's schedule, and a send that would undo the plan's week.

namespace {
int minuteOfDay(double time)
{
    return int(std::lround((time - std::floor(time)) * 24 * 60)) % (24 * 60);
}

// Whether two weeks ring alike on a controller of this model: the same slots
// in use, at the same minutes, for the same seconds.
bool ringAlike(const RingCalendar &a, const RingCalendar &b, DeviceModel model)
{
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= facts(model).slotsCarried; ++slot) {
            const bool rings = a.timeUsed(day, slot) == 1;
            if (rings != (b.timeUsed(day, slot) == 1))
                return false;
            if (rings && (minuteOfDay(a.ringTime(day, slot)) != minuteOfDay(b.ringTime(day, slot)) ||
                          a.ringDuration(day, slot) != b.ringDuration(day, slot)))
                return false;
        }
    }
    return true;
}

QString askSiteFileWithDialog(QWidget *parent, bool saving, const QString &suggested)
{
    const QString filter = QStringLiteral("Plan dosyası (*.toml)");
    return saving ? QFileDialog::getSaveFileName(parent, QStringLiteral("Yeni plan"), suggested, filter)
                  : QFileDialog::getOpenFileName(parent, QStringLiteral("Yıllık plan"), suggested, filter);
}
} // namespace

// On the schedule frame's context menu with the page actions; the layout
// stays as it is.
void frmRinger::buildYearActions()
{
    actYearPlan = new QAction(QStringLiteral("Yıllık plan…"), frWindows);
    actYearPlan->setObjectName(QStringLiteral("actYearPlan"));
    actYearPlan->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    actYearPlan->setShortcutContext(Qt::WindowShortcut);
    actNewPlan = new QAction(QStringLiteral("Yeni plan…"), frWindows);
    actNewPlan->setObjectName(QStringLiteral("actNewPlan"));
    frWindows->addAction(actYearPlan);
    frWindows->addAction(actNewPlan);
    connect(actYearPlan, &QAction::triggered, this, &frmRinger::actYearPlan_Click);
    connect(actNewPlan, &QAction::triggered, this, &frmRinger::actNewPlan_Click);
    m_askSiteFile = [this](bool saving, const QString &suggested) { return askSiteFileWithDialog(this, saving, suggested); };
}

YearWindow &frmRinger::yearWindow()
{
    if (!m_yearWindow) {
        m_yearWindow = std::make_unique<YearWindow>(m_dialog, this);
        m_yearWindow->setSerialPortMap(SerialPortMap::fromDirectory(m_dataDirectory));
    }
    return *m_yearWindow;
}

bool frmRinger::openYearWindow(const QString &path)
{
    if (!yearWindow().openSite(path))
        return false;
    m_yearWindow->show();
    m_yearWindow->raise();
    m_yearWindow->activateWindow();
    return true;
}

// The site open already, else the one opened last, else one the operator picks.
void frmRinger::actYearPlan_Click()
{
    if (m_yearWindow && m_yearWindow->site()) {
        m_yearWindow->show();
        m_yearWindow->raise();
        m_yearWindow->activateWindow();
        return;
    }
    QString path = lastSitePath();
    if (path.isEmpty() || !QFileInfo::exists(path))
        path = m_askSiteFile(false, path.isEmpty() ? QDir::homePath() : QFileInfo(path).absolutePath());
    if (!path.isEmpty())
        openYearWindow(path);
}

void frmRinger::actNewPlan_Click()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = m_askSiteFile(true, QDir(documents.isEmpty() ? QDir::homePath() : documents).filePath(QStringLiteral("zil-plani.toml")));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".toml");
    if (const Result<> written = writeNewSite(path, siteLinkLine(), selectedModel(), m_calendar); !written) {
        m_dialog.tell(QStringLiteral("Yeni plan yazılamadı: %1").arg(written.error()));
        return;
    }
    openYearWindow(path);
}

QString frmRinger::siteLinkLine() const
{
    if (!chkTCPIPActive->isChecked())
        return QStringLiteral("serial = %1").arg(m_serialPortNumber);
    const QString host = txtIP->text().trimmed();
    const QString bracketed = host.contains(u':') ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("tcp = %1").arg(tomlString(QStringLiteral("%1:%2").arg(bracketed, txtPort->text().trimmed())));
}

bool frmRinger::sendAgreesWithPlan()
{
    const Site *site = m_yearWindow ? m_yearWindow->site() : nullptr;
    if (!site)
        return true;
    // The site names each controller's link as the link options read it.
    const QString link = linkIdentity(linkSettings());
    const QDate today = m_yearWindow->today();
    for (const SiteController &controller : site->controllers) {
        if (controller.linkKey != link)
            continue;
        const PlannedWeek planned = plannedWeek(*site, controller, today);
        if (ringAlike(planned.calendar, m_calendar, selectedModel()))
            return true;
        const QString todayText = planned.today.caption() == OffScheduleName ? QStringLiteral("Zil yok") : planned.today.caption();
        return m_dialog.confirm(QStringLiteral("Bu zil takvimi, yıllık plandaki bu haftadan farklı (cihaz \"%1\", bugün: %2). "
                                               "Gece çalışması cihaza planın haftasını yeniden yükleyecek.\n\nYine de gönderilsin mi?")
                                    .arg(controller.name, todayText));
    }
    return true;
}
