#pragma once

#include "site/PeriodEdits.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDialogButtonBox;
class QLineEdit;
struct Site;

// One period of the year: its name, its first and last day, what it rings
// ("Zil yok" for none) and the controllers it holds for (all when every box
// is checked).
class PeriodDialog : public QDialog
{
    Q_OBJECT

public:
    PeriodDialog(const Site &site, const PeriodDraft &start, QWidget *parent = nullptr);

    PeriodDraft draft() const;

    QLineEdit *txtName = nullptr;
    QDateEdit *dtFrom = nullptr;
    QDateEdit *dtTo = nullptr;
    QComboBox *cmbSchedule = nullptr;
    QList<QCheckBox *> chkControllers;
    QDialogButtonBox *buttons = nullptr;

private:
    void checkComplete();
};
