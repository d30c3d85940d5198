#include "ui/PeriodDialog.h"

#include "site/SiteModel.h"
#include "site/YearPageContent.h"
#include "ui/YearPalette.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

namespace {
QDateEdit *datePicker(QWidget *parent, const char *name, const QString &caption, QDate date)
{
    auto *picker = new QDateEdit(date.isValid() ? date : QDate::currentDate(), parent);
    picker->setObjectName(QLatin1String(name));
    picker->setAccessibleName(caption);
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker->setCalendarPopup(true);
    return picker;
}
} // namespace

PeriodDialog::PeriodDialog(const Site &site, const PeriodDraft &start, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPeriod"));
    setWindowTitle(start.name.isEmpty() ? QStringLiteral("Dönem ekle") : QStringLiteral("Dönemi değiştir"));
    txtName = new QLineEdit(start.name, this);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtName->setAccessibleName(QStringLiteral("Adı"));
    dtFrom = datePicker(this, "dtFrom", QStringLiteral("İlk gün"), start.from);
    dtTo = datePicker(this, "dtTo", QStringLiteral("Son gün"), start.to.isValid() ? start.to : start.from);
    cmbSchedule = new QComboBox(this);
    cmbSchedule->setObjectName(QStringLiteral("cmbSchedule"));
    cmbSchedule->setAccessibleName(QStringLiteral("Zil planı"));
    for (const SiteSchedule &schedule : site.schedules) {
        if (schedule.name != OffScheduleName)
            cmbSchedule->addItem(schedule.name, schedule.name);
    }
    cmbSchedule->addItem(scheduleCaption(OffScheduleName), OffScheduleName);
    cmbSchedule->setCurrentIndex(std::max(0, cmbSchedule->findData(start.schedule)));

    auto *controllers = new QGroupBox(QStringLiteral("Cihazlar"), this);
    controllers->setObjectName(QStringLiteral("frControllers"));
    auto *controllerList = new QVBoxLayout(controllers);
    for (const SiteController &controller : site.controllers) {
        auto *box = new QCheckBox(controller.name, controllers);
        box->setObjectName(QStringLiteral("chkController_%1").arg(chkControllers.size()));
        box->setProperty("controller", controller.name); // the caption may gain a shortcut's "&"
        box->setChecked(start.controllers.isEmpty() || start.controllers.contains(controller.name));
        controllerList->addWidget(box);
        chkControllers << box;
        connect(box, &QCheckBox::toggled, this, &PeriodDialog::checkComplete);
    }

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Kaydet"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Vazgeç"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    for (const auto &[name, caption, field] : {std::tuple{"lblName", u"Adı:", static_cast<QWidget *>(txtName)},
                                               {"lblFrom", u"İlk gün:", dtFrom},
                                               {"lblTo", u"Son gün:", dtTo},
                                               {"lblSchedule", u"Zil planı:", cmbSchedule}}) {
        auto *label = new QLabel(QString::fromUtf16(caption), this);
        label->setObjectName(QLatin1String(name));
        label->setBuddy(field);
        form->addRow(label, field);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(controllers);
    layout->addWidget(buttons);

    connect(txtName, &QLineEdit::textChanged, this, &PeriodDialog::checkComplete);
    connect(dtFrom, &QDateEdit::dateChanged, this, &PeriodDialog::checkComplete);
    connect(dtTo, &QDateEdit::dateChanged, this, &PeriodDialog::checkComplete);
    checkComplete();
}

// A name, days in order and one controller at least; the rest the site's
// own checks judge when the edit is saved.
void PeriodDialog::checkComplete()
{
    const bool anyController = chkControllers.isEmpty() || std::any_of(chkControllers.cbegin(), chkControllers.cend(),
                                                                       [](const QCheckBox *box) { return box->isChecked(); });
    buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(!txtName->text().trimmed().isEmpty() && dtFrom->date() <= dtTo->date() && anyController);
}

PeriodDraft PeriodDialog::draft() const
{
    PeriodDraft period{txtName->text().trimmed(), dtFrom->date(), dtTo->date(), cmbSchedule->currentData().toString(), {}};
    QStringList checked;
    for (const QCheckBox *box : chkControllers) {
        if (box->isChecked())
            checked << box->property("controller").toString();
    }
    if (checked.size() < chkControllers.size())
        period.controllers = checked;
    return period;
}
