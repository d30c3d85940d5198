#include "ui/YearWindow.h"

#include "site/PeriodEdits.h"
#include "site/YearPageContent.h"
#include "ui/OperatorDialog.h"
#include "ui/PeriodDialog.h"
#include "ui/YearPalette.h"
#include "ui/YearView.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

// The periods in file order: the last that covers a day decides it.

namespace {
QString dateText(QDate date)
{
    return QLocale(QLocale::Turkish, QLocale::Turkey).toString(date, QStringLiteral("dd.MM.yyyy"));
}
} // namespace

QWidget *YearWindow::buildPeriodsPart()
{
    auto *frame = new QGroupBox(QStringLiteral("Dönemler"), this);
    frame->setObjectName(QStringLiteral("frPeriods"));
    lstPeriods = new QTreeWidget(frame);
    lstPeriods->setObjectName(QStringLiteral("lstPeriods"));
    lstPeriods->setAccessibleName(QStringLiteral("Dönemler"));
    lstPeriods->setRootIsDecorated(false);
    lstPeriods->setHeaderLabels({QStringLiteral("Adı"), QStringLiteral("Tarihler"), QStringLiteral("Zil planı"), QStringLiteral("Cihazlar"),
                                 QStringLiteral("Kaynak")});
    lstPeriods->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    cmdAddPeriod = new QPushButton(QStringLiteral("Ekle"), frame);
    cmdAddPeriod->setObjectName(QStringLiteral("cmdAddPeriod"));
    cmdChangePeriod = new QPushButton(QStringLiteral("Değiştir"), frame);
    cmdChangePeriod->setObjectName(QStringLiteral("cmdChangePeriod"));
    cmdRemovePeriod = new QPushButton(QStringLiteral("Sil"), frame);
    cmdRemovePeriod->setObjectName(QStringLiteral("cmdRemovePeriod"));
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {cmdAddPeriod, cmdChangePeriod, cmdRemovePeriod}) {
        buttons->addWidget(b);
        b->setEnabled(false);
    }
    buttons->addStretch(1);
    auto *layout = new QHBoxLayout(frame);
    layout->addWidget(lstPeriods, 1);
    layout->addLayout(buttons);

    connect(cmdAddPeriod, &QPushButton::clicked, this, [this] { cmdAddPeriod_Click(); });
    connect(cmdChangePeriod, &QPushButton::clicked, this, &YearWindow::cmdChangePeriod_Click);
    connect(cmdRemovePeriod, &QPushButton::clicked, this, &YearWindow::cmdRemovePeriod_Click);
    connect(lstPeriods, &QTreeWidget::itemDoubleClicked, this, &YearWindow::cmdChangePeriod_Click);
    connect(lstPeriods, &QTreeWidget::itemSelectionChanged, this, [this] {
        cmdChangePeriod->setEnabled(editablePeriod() >= 0);
        cmdRemovePeriod->setEnabled(editablePeriod() >= 0);
    });
    // Days dragged over in the year start a new period with their dates.
    connect(yearView, &YearView::rangeChosen, this, [this](QDate from, QDate to) {
        if (m_site)
            cmdAddPeriod_Click(from, to);
    });
    return frame;
}

void YearWindow::showPeriods()
{
    lstPeriods->clear();
    for (const SitePeriod &p : m_site->periods) {
        const QString dates = p.from == p.to ? dateText(p.from) : QStringLiteral("%1 – %2").arg(dateText(p.from), dateText(p.to));
        const QString controllers = p.controllers.isEmpty() ? QStringLiteral("hepsi") : p.controllers.join(QStringLiteral(", "));
        // A calendar file's events are edited in that file, not here.
        const QString source = p.calendarFile.isEmpty() ? QFileInfo(m_site->path).fileName() : QFileInfo(p.calendarFile).fileName();
        auto *item = new QTreeWidgetItem({p.name, dates, scheduleCaption(p.schedule), controllers, source});
        if (!p.calendarFile.isEmpty())
            item->setToolTip(
                0, QStringLiteral("Takvim dosyasından: %1 (burada değiştirilemez)").arg(QDir::toNativeSeparators(p.calendarFile)));
        lstPeriods->addTopLevelItem(item);
    }
    cmdAddPeriod->setEnabled(true);
    cmdChangePeriod->setEnabled(false);
    cmdRemovePeriod->setEnabled(false);
}

int YearWindow::selectedPeriod() const
{
    const QList<QTreeWidgetItem *> chosen = lstPeriods->selectedItems();
    return chosen.isEmpty() ? -1 : lstPeriods->indexOfTopLevelItem(chosen.first());
}

// The chosen period when it is written in the site file itself.
int YearWindow::editablePeriod() const
{
    const int index = selectedPeriod();
    return index >= 0 && m_site->periods[index].calendarFile.isEmpty() ? index : -1;
}

bool YearWindow::saved(const QString &refused, const QString &reason)
{
    if (!reason.isEmpty()) {
        m_dialog.tell(QStringLiteral("%1, plan dosyası değişmedi:\n%2").arg(refused, reason));
        return false;
    }
    return reloadSite();
}

void YearWindow::cmdAddPeriod_Click(QDate from, QDate to)
{
    if (!from.isValid())
        from = to = m_today;
    PeriodDialog dialog(*m_site, {{}, from, to, OffScheduleName, {}}, this);
    if (!m_runPeriodDialog(dialog))
        return;
    const PeriodDraft period = dialog.draft();
    saved(QStringLiteral("\"%1\" dönemi eklenemedi").arg(period.name), addPeriod(m_site->path, period).error());
}

void YearWindow::cmdChangePeriod_Click()
{
    const int index = editablePeriod();
    if (index < 0)
        return;
    const SitePeriod &p = m_site->periods[index];
    PeriodDialog dialog(*m_site, {p.name, p.from, p.to, p.schedule, p.controllers}, this);
    if (!m_runPeriodDialog(dialog))
        return;
    const QString name = p.name; // the site is read again below
    saved(QStringLiteral("\"%1\" dönemi değiştirilemedi").arg(name), changePeriod(m_site->path, name, dialog.draft()).error());
}

void YearWindow::cmdRemovePeriod_Click()
{
    const int index = editablePeriod();
    if (index < 0)
        return;
    const QString name = m_site->periods[index].name;
    if (!m_dialog.confirm(QStringLiteral("\"%1\" dönemi plandan silinsin mi?").arg(name)))
        return;
    saved(QStringLiteral("\"%1\" dönemi silinemedi").arg(name), removePeriod(m_site->path, name).error());
}
