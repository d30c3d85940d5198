#include "ui/frmRinger.h"

#include "schedule/CalendarCommands.h"
#include "schedule/DateTimeValue.h"
#include "schedule/NumberText.h"
#include "ui/OperatorDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimeEdit>

namespace {
// Each handler keeps its own range for a typed ring length.
constexpr int TypedLowerBound = 1;
constexpr qint16 TypedFallback = 3;
constexpr int RowLowerBound = 2;
constexpr qint16 RowFallback = 2;
constexpr int RowsRestoredByRefresh = 24;

const QString ConfirmQuestion = QStringLiteral("                 ONAYLIYOR MUSUNUZ?");
const QString DeleteAllQuestion = QStringLiteral("           Tüm zil takvimini silmek istiyor musunuz? \r\n"
                                                 "                   NOT: Bu işlem geri alınamaz!");
const QString FactoryDefaultQuestion = QStringLiteral("   Tüm zil takvimini fabrika ayarlarına almak istiyor musunuz? \r\n"
                                                      "                       NOT: Bu işlem geri alınamaz!");
} // namespace

int frmRinger::selectedDay() const
{
    return TabRingDays->currentIndex() + 1;
}

double frmRinger::pickerValue(int row) const
{
    return timeValue(dtTime[row]->time());
}

void frmRinger::TabRingDays_Click()
{
    LoadingDay = true;
    const int selected = TabRingDays->currentIndex();
    for (int tab = 0; tab < TabRingDays->count(); ++tab)
        TabRingDays->setTabTextColor(tab, tab == selected ? palette().color(QPalette::Highlight) : QColor());

    const int day = selectedDay();
    for (int row = 0; row < SlotsPerDay; ++row) {
        const int slot = row + 1;
        // Runs chkTimeUsed_Click only when the state changes.
        chkTimeUsed[row]->setChecked(m_calendar.timeUsed(day, slot) == 1);
        {
            const QSignalBlocker loading(dtTime[row]);
            // The picker shows hour and minute only; the seconds stay in the record.
            const TimeOfDay time = timeOfDay(m_calendar.ringTime(day, slot));
            dtTime[row]->setTime(QTime(time.hour, time.minute));
        }
        // Runs txtRingTime_Change only when the text changes.
        txtRingTime[row]->setText(QString::number(m_calendar.ringDuration(day, slot)));
    }
    cmdCopyFromMonday->setVisible(day >= 2);
    LoadingDay = false;
}

void frmRinger::chkTimeUsed_Click(int row)
{
    const int day = selectedDay();
    const int slot = row + 1;
    const bool used = chkTimeUsed[row]->isChecked();
    dtTime[row]->setEnabled(used);
    txtRingTime[row]->setEnabled(used);
    m_calendar.setTimeUsed(day, slot, used ? 1 : 0);
    if (used && !LoadingDay) {
        m_calendar.setRingTime(day, slot, pickerValue(row));
        m_calendar.setRingDuration(day, slot, ringDurationFromText(txtRingTime[row]->text(), RowLowerBound, RowFallback));
    }
}

void frmRinger::txtRingTime_Change(int row)
{
    const int day = selectedDay();
    const int slot = row + 1;
    const QString text = txtRingTime[row]->text();
    if (isNumeric(text))
        m_calendar.setRingDuration(day, slot, ringDurationFromText(text, TypedLowerBound, TypedFallback));
    m_calendar.setRingTime(day, slot, pickerValue(row));
}

void frmRinger::dtTime_Change(int row)
{
    const int day = selectedDay();
    const int slot = row + 1;
    const QTime time = dtTime[row]->time();
    m_calendar.setRingTime(day, slot, timeValue(time.hour(), time.minute(), time.second()));
    m_calendar.setRingDuration(day, slot, ringDurationFromText(txtRingTime[row]->text(), RowLowerBound, RowFallback));
}

// "Uygula": stores the first 24 rows again; the others and TimeUsed stay.
void frmRinger::cmdRefresh_Click()
{
    const int day = selectedDay();
    for (int row = 0; row < RowsRestoredByRefresh; ++row) {
        const int slot = row + 1;
        const QString text = txtRingTime[row]->text();
        if (isNumeric(text))
            m_calendar.setRingDuration(day, slot, ringDurationFromText(text, RowLowerBound, RowFallback));
        m_calendar.setRingTime(day, slot, pickerValue(row));
    }
}

void frmRinger::cmdCopyFromMonday_Click()
{
    CopyFromMonday(m_calendar, selectedDay());
    TabRingDays_Click();
}

void frmRinger::cmdDeleteAll_Click()
{
    replaceWholeSchedule(DeleteAllQuestion, [this] { ClearAll(m_calendar, selectedModel()); });
}

void frmRinger::cmdFactoryDefault_Click()
{
    replaceWholeSchedule(FactoryDefaultQuestion, [this] { FactoryDefault(m_calendar); });
}

// Both commands cannot be undone: asked with Yes, No and Cancel, confirmed
// with Yes and No, then stored at once and Monday shown again.
void frmRinger::replaceWholeSchedule(const QString &question, const std::function<void()> &command)
{
    if (m_dialog.ask(question, DialogButtons::YesNoCancel) != DialogAnswer::Yes)
        return;
    if (m_dialog.ask(ConfirmQuestion, DialogButtons::YesNo) != DialogAnswer::Yes)
        return;
    command();
    storeCalendar();
    SelectFirstDayTab();
}
