#include "ui/YearWindow.h"

#include "site/SiteFile.h"
#include "site/SiteRun.h"
#include "site/YearPageContent.h"
#include "site/YearPlan.h"
#include "ui/LastSite.h"
#include "ui/OperatorDialog.h"
#include "ui/PeriodDialog.h"
#include "ui/YearPalette.h"
#include "ui/YearView.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace {
// Past this many problems the file is likely not a site at all.
constexpr qsizetype ProblemsShown = 30;

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QString refusedSiteText(const QString &path, const QList<SiteProblem> &problems)
{
    QStringList lines;
    for (const SiteProblem &p : problems.first(std::min(problems.size(), ProblemsShown)))
        lines << p.toString();
    if (problems.size() > ProblemsShown)
        lines << QStringLiteral("... ve %1 sorun daha").arg(problems.size() - ProblemsShown);
    return QStringLiteral("Plan dosyası açılamadı, hiçbir cihaza bağlanılmadı: %1\n%2")
        .arg(QDir::toNativeSeparators(path), lines.join(u'\n'));
}

// A cell of the year as a small square, for the legend.
QPixmap swatch(const QColor &colour, bool hatched, bool today)
{
    QPixmap pixmap(18, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QRect cell(1, 1, 16, 14);
    painter.fillRect(cell, colour);
    if (hatched)
        painter.fillRect(cell, QBrush(Qt::darkGray, Qt::BDiagPattern));
    painter.setPen(today ? QPen(TodayColour, 2) : QPen(Qt::gray));
    painter.drawRect(cell.adjusted(0, 0, -1, -1));
    return pixmap;
}
} // namespace

YearWindow::YearWindow(OperatorDialog &dialog, QWidget *parent)
    : QWidget(parent, Qt::Window), m_dialog(dialog),
      m_childProgram(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zilctl"))),
      m_runPeriodDialog([](PeriodDialog &d) { return d.exec() == QDialog::Accepted; })
{
    setObjectName(QStringLiteral("frmYear"));
    setWindowTitle(QStringLiteral("Yıllık Zil Planı"));
    buildControls();
    showControllers();
    showLastRun();
}

YearWindow::~YearWindow() = default;

void YearWindow::buildControls()
{
    lblSite = new QLabel(QStringLiteral("Plan dosyası açılmadı."), this);
    lblSite->setObjectName(QStringLiteral("lblSite"));
    lblSite->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdOpen = button(this, "cmdOpen", QStringLiteral("Aç…"));
    auto *top = new QHBoxLayout;
    top->addWidget(lblSite, 1);
    top->addWidget(cmdOpen);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buildYearPart());
    layout->addWidget(buildPeriodsPart(), 1);
    layout->addWidget(buildControllersPart(), 1);
    connect(cmdOpen, &QPushButton::clicked, this, &YearWindow::cmdOpen_Click);
}

QWidget *YearWindow::buildYearPart()
{
    auto *frame = new QGroupBox(QStringLiteral("Yıl"), this);
    frame->setObjectName(QStringLiteral("frYear"));
    auto *yearLabel = new QLabel(QStringLiteral("Öğretim yılı:"), frame);
    yearLabel->setObjectName(QStringLiteral("lblYear"));
    cmbYear = new QComboBox(frame);
    cmbYear->setObjectName(QStringLiteral("cmbYear"));
    yearLabel->setBuddy(cmbYear);
    auto *controllerLabel = new QLabel(QStringLiteral("Cihaz:"), frame);
    controllerLabel->setObjectName(QStringLiteral("lblController"));
    cmbController = new QComboBox(frame);
    cmbController->setObjectName(QStringLiteral("cmbController"));
    controllerLabel->setBuddy(cmbController);
    cmdPrint = button(frame, "cmdPrint", QStringLiteral("Yazdır…"));
    auto *choosers = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(yearLabel), static_cast<QWidget *>(cmbYear), static_cast<QWidget *>(controllerLabel),
                       static_cast<QWidget *>(cmbController)})
        choosers->addWidget(w);
    choosers->addStretch(1);
    choosers->addWidget(cmdPrint);

    yearView = new YearView(frame);
    yearView->setObjectName(QStringLiteral("yearView"));
    frLegend = new QWidget(frame);
    frLegend->setObjectName(QStringLiteral("frLegend"));
    frLegend->setAccessibleName(QStringLiteral("Renklerin anlamı"));
    new QHBoxLayout(frLegend);
    frLegend->layout()->setContentsMargins(0, 0, 0, 0);

    auto *layout = new QVBoxLayout(frame);
    layout->addLayout(choosers);
    layout->addWidget(yearView, 0, Qt::AlignLeft);
    layout->addWidget(frLegend);
    connect(cmbYear, &QComboBox::activated, this, &YearWindow::showYear);
    connect(cmbController, &QComboBox::activated, this, &YearWindow::showYear);
    connect(cmdPrint, &QPushButton::clicked, this, &YearWindow::actPrint_Click);
    return frame;
}

void YearWindow::setToday(QDate today)
{
    m_today = today;
    if (m_site) {
        fillChoosers();
        showYear();
        showControllers();
        showLastRun();
    }
}

bool YearWindow::openSite(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    SiteReading reading = readSiteFile(absolute, {}, m_serialPorts);
    if (!reading.site) {
        m_dialog.tell(refusedSiteText(absolute, reading.problems));
        return false;
    }
    if (runRunning()) {
        m_dialog.tell(QStringLiteral("Cihazlarla çalışma sürüyor; başka bir plan, çalışma bitince ya da İptal Et ile durunca açılabilir."));
        return false;
    }
    m_site = std::move(reading.site);
    rememberSitePath(absolute);
    setWindowTitle(QStringLiteral("Yıllık Zil Planı – %1").arg(m_site->name));
    lblSite->setText(QStringLiteral("%1 – %2").arg(m_site->name, QFileInfo(absolute).fileName()));
    lblSite->setToolTip(QDir::toNativeSeparators(absolute));
    fillChoosers();
    showYear();
    showPeriods();
    showControllers();
    showLastRun();
    emit siteOpened(absolute);
    return true;
}

// After an edit: the file as it is now is the plan; a file someone broke
// meanwhile is named and the window keeps showing what it had.
bool YearWindow::reloadSite()
{
    SiteReading reading = readSiteFile(m_site->path, {}, m_serialPorts);
    if (!reading.site) {
        m_dialog.tell(refusedSiteText(m_site->path, reading.problems));
        return false;
    }
    m_site = std::move(reading.site);
    showYear();
    showPeriods();
    showControllers();
    showLastRun();
    return true;
}

void YearWindow::fillChoosers()
{
    QSet<int> years{schoolYearStart(m_today).year()};
    for (const SitePeriod &period : m_site->periods) {
        for (int y = schoolYearStart(period.from).year(); y <= schoolYearStart(period.to).year() && y < period.from.year() + 3; ++y)
            years.insert(y);
    }
    QList<int> sorted(years.cbegin(), years.cend());
    std::sort(sorted.begin(), sorted.end());
    cmbYear->clear();
    for (int year : sorted)
        cmbYear->addItem(QStringLiteral("%1-%2").arg(year).arg(year + 1), year);
    cmbYear->setCurrentIndex(cmbYear->findData(schoolYearStart(m_today).year()));
    cmbController->clear();
    cmbController->addItem(QStringLiteral("Tüm cihazlar"), QString());
    for (const SiteController &controller : m_site->controllers)
        cmbController->addItem(controller.name, controller.name);
}

void YearWindow::showYear()
{
    if (!m_site)
        return;
    yearView->setPlan(yearPlan(*m_site, QDate(cmbYear->currentData().toInt(), 9, 1), cmbController->currentData().toString()), m_today);
    showLegend();
}

void YearWindow::showLegend()
{
    QLayout *entries = frLegend->layout();
    while (QLayoutItem *item = entries->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QStringList &schedules = yearView->plan().schedules;
    struct Entry
    {
        QString caption;
        QColor colour;
        bool hatched = false, today = false;
    };
    QList<Entry> legend;
    for (const QString &schedule : schedules)
        legend.append({scheduleCaption(schedule), scheduleColour(schedules, schedule)});
    legend.append({QStringLiteral("Cihazlar farklı"), DiffersColour, true});
    legend.append({QStringLiteral("Bugün"), Qt::white, false, true});
    for (const Entry &entry : legend) {
        auto *mark = new QLabel(frLegend);
        mark->setPixmap(swatch(entry.colour, entry.hatched, entry.today));
        mark->setAccessibleName(QStringLiteral("%1 rengi").arg(entry.caption));
        mark->setObjectName(QStringLiteral("legendMark_%1").arg(entries->count() / 2));
        auto *caption = new QLabel(entry.caption, frLegend);
        caption->setObjectName(QStringLiteral("legendText_%1").arg(entries->count() / 2));
        caption->setProperty("colour", entry.colour);
        entries->addWidget(mark);
        entries->addWidget(caption);
        mark->show(); // made after the window was shown: shown now, not at the next turn of the event loop
        caption->show();
    }
    static_cast<QHBoxLayout *>(entries)->addStretch(1);
    entries->activate();
}

void YearWindow::cmdOpen_Click()
{
    const QString start = m_site ? m_site->path : lastSitePath();
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Plan dosyasını aç"), start, QStringLiteral("Plan dosyası (*.toml)"));
    if (!path.isEmpty())
        openSite(path);
}

// The year on a page, drawn from the plan as the window shows it.
void YearWindow::actPrint_Click()
{
    if (!m_site)
        return;
    // The page zilctl's `site print --year` draws, for the year and the
    // controller shown.
    const QString controller = cmbController->currentData().toString();
    const YearPageContent content = yearPageContent(*m_site, yearView->plan(), controller, m_today);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(weekPageLayout());
    printer.setDocName(QStringLiteral("Yıllık Zil Planı"));
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("yearPrintPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&content](QPrinter *target) {
        QPainter painter(target);
        if (painter.isActive())
            paintYearPage(painter, QRectF(0, 0, target->width(), target->height()), content);
    });
    preview.exec();
}

void YearWindow::closeEvent(QCloseEvent *event)
{
    if (runRunning()) {
        if (!m_dialog.confirm(QStringLiteral("Cihazlarla çalışma sürüyor. Durdurulup pencere kapatılsın mı?"))) {
            event->ignore();
            return;
        }
        m_run->cancel(QStringLiteral("İptal edildi"));
    }
    event->accept();
}
