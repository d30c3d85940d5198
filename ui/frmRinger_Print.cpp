#include "ui/frmRinger.h"

#include "print/WeekPageFile.h"
#include "schedule/CalendarFile.h"
#include "schedule/WholeFile.h"
#include "ui/OperatorDialog.h"
#include "ui/PageDialogs.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace {

QString pageDoesNotFit(const WeekPageFit &fit)
{
    return QStringLiteral("Zil takvimi %1 punto yazıyla da bir sayfaya sığmıyor: en çok zilli günde %2 zil var, "
                          "en geniş satır \"%3\".")
        .arg(SmallestEntryPointSize)
        .arg(fit.mostEntries)
        .arg(fit.widestEntry);
}

QAction *pageAction(QWidget *owner, const char *name, const QString &text, const QKeySequence &keys)
{
    auto *action = new QAction(text, owner);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    owner->addAction(action);
    return action;
}

} // namespace

// On the schedule frame's context menu, and by their keys anywhere in the
// window; the layout stays as it is.
void frmRinger::buildPageActions()
{
    actPrint = pageAction(frWindows, "actPrint", QStringLiteral("Yazdır…"), QKeySequence::Print);
    actSavePdf = pageAction(frWindows, "actSavePdf", QStringLiteral("PDF olarak kaydet…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    frWindows->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(actPrint, &QAction::triggered, this, &frmRinger::actPrint_Click);
    connect(actSavePdf, &QAction::triggered, this, &frmRinger::actSavePdf_Click);
}

// The page shows the schedule as edited now, saved or not.
WeekPageHeading frmRinger::pageHeading() const
{
    return {QString(), QFileInfo(calendarFilePath(m_dataDirectory)).fileName(), QDate::currentDate(), {}};
}

void frmRinger::actPrint_Click()
{
    const RingCalendar calendar = m_calendar;
    const DeviceModel model = selectedModel();
    const WeekPageHeading heading = pageHeading();
    if (const WeekPageFit fit = renderWeekPage(PageFormat::Pdf, calendar, model, heading).fit; !fit.fits()) {
        m_dialog.tell(pageDoesNotFit(fit));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(weekPageLayout());
    printer.setDocName(QStringLiteral("Zil Takvimi"));
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("printPreview"));
    // The operator may turn the page upright in the preview: the week may
    // then no longer fit, and the page stays empty.
    WeekPageFit lastFit;
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&](QPrinter *target) { lastFit = paintWeekPage(*target, calendar, model, heading); });
    m_pageDialogs->runPreview(preview);
    if (!lastFit.fits() && lastFit.mostEntries > 0) // a printer that did not start measured nothing
        m_dialog.tell(pageDoesNotFit(lastFit));
}

void frmRinger::actSavePdf_Click()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(documents.isEmpty() ? QDir::homePath() : documents)
                                  .filePath(QStringLiteral("Zil Takvimi %1.pdf").arg(QDate::currentDate().toString(Qt::ISODate)));
    QString path = m_pageDialogs->pdfFileName(this, suggested);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    const RenderedPage page = renderWeekPage(PageFormat::Pdf, m_calendar, selectedModel(), pageHeading());
    if (!page.fit.fits()) {
        m_dialog.tell(pageDoesNotFit(page.fit));
        return;
    }
    if (const Result<> written = writeWholeFile(path, page.bytes); !written)
        m_dialog.tell(QStringLiteral("PDF dosyası yazılamadı: %1\n%2").arg(QDir::toNativeSeparators(path), written.error()));
}
