#include "ui/YearWindow.h"

#include "schedule/DeviceModelNames.h"
#include "site/RunReport.h"
#include "site/SitePlan.h"
#include "site/SiteRun.h"
#include "site/YearPageContent.h"
#include "ui/OperatorDialog.h"
#include "ui/YearPalette.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

// The controllers of the site: what each rings today, and a status or an
// apply worked in child processes while the window goes on.

namespace {
enum Column { NameColumn, LinkColumn, ModelColumn, TodayColumn, ProgressColumn, StatusColumn, NightColumn, ColumnCount };

QString outcomeText(const ControllerOutcome &o)
{
    using Action = ControllerOutcome::Action;
    if (o.action == Action::Failed)
        return QStringLiteral("Hata: %1").arg(o.message);
    if (!o.reached)
        return QStringLiteral("Ulaşılamadı: %1").arg(o.message);
    QString text;
    switch (o.action) {
    case Action::Sent: text = QStringLiteral("Planın haftası gönderildi"); break;
    case Action::WouldSend: text = QStringLiteral("Planın haftası gönderilecek"); break;
    case Action::ClockSet: text = QStringLiteral("Planla aynı, saati ayarlandı"); break;
    case Action::Failed:
    case Action::None:
        if (const std::optional<int> differences = o.differences)
            text = *differences == 0 ? QStringLiteral("Planla aynı") : QStringLiteral("Plandan %1 zilde farklı").arg(*differences);
        else
            text = QStringLiteral("Okundu");
        break;
    }
    if (o.clockOffsetSeconds)
        text += QStringLiteral(", saat farkı %1 sn").arg(*o.clockOffsetSeconds);
    return text;
}

QString runName(const QString &verb)
{
    return verb == QLatin1String("apply") ? QStringLiteral("planı uygulama") : QStringLiteral("durum okuma");
}
} // namespace

QWidget *YearWindow::buildControllersPart()
{
    auto *frame = new QGroupBox(QStringLiteral("Cihazlar"), this);
    frame->setObjectName(QStringLiteral("frControllers"));
    tblControllers = new QTableWidget(0, ColumnCount, frame);
    tblControllers->setObjectName(QStringLiteral("tblControllers"));
    tblControllers->setAccessibleName(QStringLiteral("Cihazlar"));
    tblControllers->setHorizontalHeaderLabels({QStringLiteral("Cihaz"), QStringLiteral("Bağlantı"), QStringLiteral("Model"),
                                               QStringLiteral("Bugün"), QStringLiteral("İlerleme"), QStringLiteral("Durum"),
                                               QStringLiteral("Son gece çalışması")});
    tblControllers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblControllers->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblControllers->verticalHeader()->hide();
    tblControllers->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblControllers->horizontalHeader()->setStretchLastSection(true);

    cmdReadStatus = new QPushButton(QStringLiteral("Durumu oku"), frame);
    cmdReadStatus->setObjectName(QStringLiteral("cmdReadStatus"));
    cmdApplyPlan = new QPushButton(QStringLiteral("Planı uygula"), frame);
    cmdApplyPlan->setObjectName(QStringLiteral("cmdApplyPlan"));
    chkSetClocks = new QCheckBox(QStringLiteral("Saatleri de ayarla"), frame);
    chkSetClocks->setObjectName(QStringLiteral("chkSetClocks"));
    cmdCancelRun = new QPushButton(QStringLiteral("İptal Et"), frame);
    cmdCancelRun->setObjectName(QStringLiteral("cmdCancelRun"));
    lblLastRun = new QLabel(frame);
    lblLastRun->setObjectName(QStringLiteral("lblLastRun"));
    lblLastRun->setWordWrap(true);
    auto *buttons = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(cmdReadStatus), static_cast<QWidget *>(cmdApplyPlan), static_cast<QWidget *>(chkSetClocks),
                       static_cast<QWidget *>(cmdCancelRun)})
        buttons->addWidget(w);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(tblControllers, 1);
    layout->addLayout(buttons);
    layout->addWidget(lblLastRun);

    connect(cmdReadStatus, &QPushButton::clicked, this, [this] { startRun(false); });
    connect(cmdApplyPlan, &QPushButton::clicked, this, [this] { startRun(true); });
    connect(cmdCancelRun, &QPushButton::clicked, this, &YearWindow::cmdCancelRun_Click);
    return frame;
}

bool YearWindow::runRunning() const
{
    return m_run && m_run->isRunning();
}

void YearWindow::showControllers()
{
    if (runRunning())
        return; // the rows are the run's until it ends; an edit shows in the next
    const qsizetype count = m_site ? m_site->controllers.size() : 0;
    tblControllers->setRowCount(int(count));
    for (int row = 0; row < count; ++row) {
        const SiteController &c = m_site->controllers[row];
        const PlannedDay today = plannedDay(*m_site, c, m_today);
        const QString todayText = today.period.isEmpty() ? scheduleCaption(today.schedule)
                                                         : QStringLiteral("%1 (%2)").arg(scheduleCaption(today.schedule), today.period);
        const QStringList cells{c.name, c.linkText, modelCaption(c.model), todayText};
        for (int column = 0; column < cells.size(); ++column)
            tblControllers->setItem(row, column, new QTableWidgetItem(cells[column]));
        auto *bar = new QProgressBar(tblControllers);
        bar->setObjectName(QStringLiteral("prgController_%1").arg(row));
        bar->setAccessibleName(QStringLiteral("%1 ilerlemesi").arg(c.name));
        bar->setRange(0, 100);
        bar->setValue(0);
        tblControllers->setCellWidget(row, ProgressColumn, bar);
        tblControllers->setItem(row, StatusColumn, new QTableWidgetItem);
        tblControllers->setItem(row, NightColumn, new QTableWidgetItem);
    }
    cmdReadStatus->setEnabled(count > 0);
    cmdApplyPlan->setEnabled(count > 0);
    chkSetClocks->setEnabled(count > 0);
    cmdCancelRun->setEnabled(false);
}

void YearWindow::startRun(bool apply)
{
    if (!m_site || runRunning())
        return;
    QStringList names;
    for (const SiteController &c : m_site->controllers)
        names << c.name;
    if (apply && !m_dialog.confirm(QStringLiteral("Planın bu haftası %1 cihaza gönderilsin mi?").arg(names.size())))
        return;
    showControllers();
    SiteRunSetup setup;
    setup.apply = apply;
    setup.setClocks = apply && chkSetClocks->isChecked();
    setup.date = m_today;
    setup.childProgram = m_childProgram;
    m_run = std::make_unique<SiteRun>(*m_site, names, setup);
    const QString working = apply ? QStringLiteral("Uygulanıyor…") : QStringLiteral("Okunuyor…");
    connect(m_run.get(), &SiteRun::controllerStarted, this,
            [this, working](int i) { tblControllers->item(i, StatusColumn)->setText(working); });
    connect(m_run.get(), &SiteRun::controllerProgress, this,
            [this](int i, int percent) { static_cast<QProgressBar *>(tblControllers->cellWidget(i, ProgressColumn))->setValue(percent); });
    connect(m_run.get(), &SiteRun::controllerFinished, this, &YearWindow::controllerFinished);
    connect(m_run.get(), &SiteRun::finished, this, &YearWindow::runFinished);
    // The run works from the site as read; edits wait until it ends.
    for (QPushButton *b : {cmdReadStatus, cmdApplyPlan, cmdAddPeriod, cmdChangePeriod, cmdRemovePeriod})
        b->setEnabled(false);
    cmdCancelRun->setEnabled(true);
    m_run->start();
}

void YearWindow::controllerFinished(int index)
{
    static_cast<QProgressBar *>(tblControllers->cellWidget(index, ProgressColumn))->setValue(100);
    tblControllers->item(index, StatusColumn)->setText(outcomeText(m_run->outcomes().at(index)));
}

void YearWindow::runFinished()
{
    if (m_run->wasCancelled()) {
        for (int row = 0; row < tblControllers->rowCount(); ++row) {
            QTableWidgetItem *status = tblControllers->item(row, StatusColumn);
            if (status->text().isEmpty() || status->text().endsWith(u'…'))
                status->setText(QStringLiteral("İptal edildi"));
        }
    }
    cmdReadStatus->setEnabled(true);
    cmdApplyPlan->setEnabled(true);
    cmdCancelRun->setEnabled(false);
    cmdAddPeriod->setEnabled(true);
    emit lstPeriods->itemSelectionChanged(); // "Değiştir" and "Sil" follow the selection again
}

void YearWindow::cmdCancelRun_Click()
{
    if (runRunning())
        m_run->cancel(QStringLiteral("İptal edildi"));
}

QString YearWindow::nightlyReportPath()
{
    return qEnvironmentVariable("ZILSISTEMI_NIGHTLY_REPORT", NightlyReportPath);
}

// What the package's timer did last: read each time a site is shown, so a
// run of the night before is there when the operator comes in.
void YearWindow::showLastRun()
{
    QFile file(nightlyReportPath());
    if (!file.exists()) {
        lblLastRun->setText(QStringLiteral("Gece çalışması henüz hiç yapılmadı."));
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        lblLastRun->setText(QStringLiteral("Son gece çalışmasının raporu okunamadı: %1").arg(file.errorString()));
        return;
    }
    const Result<RunReport> report = runReportFromJson(file.read(1024 * 1024));
    if (!report) {
        lblLastRun->setText(QStringLiteral("Son gece çalışmasının raporu okunamadı: %1").arg(report.error()));
        return;
    }
    const QString ending = report->interrupted     ? QStringLiteral("yarıda kesildi")
                           : report->exitCode == 0 ? QStringLiteral("sorunsuz bitti")
                                                   : QStringLiteral("sorunlarla bitti (çıkış kodu %1)").arg(report->exitCode);
    QString text =
        QStringLiteral("Son gece çalışması: %1, %2, %3.")
            .arg(QLocale(QLocale::Turkish, QLocale::Turkey).toString(report->finishedAt.toLocalTime(), QStringLiteral("dd.MM.yyyy HH:mm")),
                 runName(report->verb), ending);
    if (m_site && report->siteName != m_site->name)
        text += QStringLiteral(" Rapor başka bir plan içindir: \"%1\".").arg(report->siteName);
    lblLastRun->setText(text);
    for (int row = 0; m_site && row < tblControllers->rowCount(); ++row) {
        for (const ControllerOutcome &o : report->outcomes) {
            if (o.name == m_site->controllers[row].name)
                tblControllers->item(row, NightColumn)->setText(outcomeText(o));
        }
    }
}
