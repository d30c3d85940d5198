// The schedule editor in the real window: how each change of a row reaches
// the record, how a day is loaded, and the four editor buttons.
#include "ui/WindowFixture.h"

#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabBar>
#include <QTimeEdit>

Q_DECLARE_METATYPE(DialogAnswer)

namespace {
constexpr qint16 Untouched = 17; // a duration no rule ever stores by itself
constexpr int Monday = 1;

const QString DeleteAllQuestion = QStringLiteral(
    "           Tüm zil takvimini silmek istiyor musunuz? \r\n                   NOT: Bu işlem geri alınamaz!");
const QString FactoryQuestion = QStringLiteral(
    "   Tüm zil takvimini fabrika ayarlarına almak istiyor musunuz? \r\n                       NOT: Bu işlem geri alınamaz!");
const QString ConfirmQuestion = QStringLiteral("                 ONAYLIYOR MUSUNUZ?");

double at(int hour, int minute, int second = 0)
{
    return timeValue(hour, minute, second);
}

// Slot 1 of every day in use at 07:00 with the untouched duration.
RingCalendar editableCalendar()
{
    RingCalendar calendar;
    calendar.DeviceVersion = 3;
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            calendar.setTimeUsed(day, slot, 1);
            calendar.setRingDuration(day, slot, Untouched);
            calendar.setRingTime(day, slot, at(7, slot % 60));
        }
    }
    return calendar;
}
} // namespace

class CalendarEditorTest : public QObject
{
    Q_OBJECT

    WindowFixture *fx = nullptr;
    QLocale savedLocale;

    frmRinger &startWith(const RingCalendar &calendar, bool activate = true)
    {
        delete fx;
        fx = new WindowFixture;
        fx->writeFile("RingCalendar.dat", calendarToBytes(calendar));
        return fx->start(activate);
    }
    QLineEdit *box(int row) { return fx->row<QLineEdit>("txtRingTime", row); }
    QCheckBox *check(int row) { return fx->row<QCheckBox>("chkTimeUsed", row); }
    QTimeEdit *picker(int row) { return fx->row<QTimeEdit>("dtTime", row); }
    QTabBar *tabs() { return fx->child<QTabBar>("TabRingDays"); }
    QPushButton *button(const char *name) { return fx->child<QPushButton>(QLatin1String(name)); }
    RingCalendar &record() { return fx->window->calendar(); }

    // The four handlers that store a ring length from the box's text.
    void addRuleColumns()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("typed");   // txtRingTime_Change: numeric first, 1..30 else 3
        QTest::addColumn<int>("checked"); // chkTimeUsed_Click: 2..30 else 2
        QTest::addColumn<int>("picker");  // dtTime_Change: 2..30 else 2
        QTest::addColumn<int>("refresh"); // "Uygula": numeric first, 2..30 else 2
        const int same = Untouched;
        QTest::newRow("1") << "C" << "1" << 1 << 2 << 2 << 2;
        QTest::newRow("2") << "C" << "2" << 2 << 2 << 2 << 2;
        QTest::newRow("30") << "C" << "30" << 30 << 30 << 30 << 30;
        QTest::newRow("30.4 above range before rounding") << "C" << "30.4" << 3 << 2 << 2 << 2;
        QTest::newRow("0.5") << "C" << "0.5" << 3 << 2 << 2 << 2;
        QTest::newRow("2.5 rounds to even 2") << "C" << "2.5" << 2 << 2 << 2 << 2;
        QTest::newRow("3.5 rounds to even 4") << "C" << "3.5" << 4 << 4 << 4 << 4;
        QTest::newRow("45") << "C" << "45" << 3 << 2 << 2 << 2;
        QTest::newRow("0") << "C" << "0" << 3 << 2 << 2 << 2;
        QTest::newRow("abc not numeric") << "C" << "abc" << same << 2 << 2 << same;
        QTest::newRow("empty not numeric") << "C" << "" << same << 2 << 2 << same;
        QTest::newRow("blanks around 7") << "C" << "  7 " << 7 << 7 << 7 << 7;
        QTest::newRow("12abc leading number") << "C" << "12abc" << same << 12 << 12 << same;
        QTest::newRow("huge") << "C" << "99999999999999999999" << 3 << 2 << 2 << 2;
        QTest::newRow("1e300") << "C" << "1e300" << 3 << 2 << 2 << 2;
        QTest::newRow("Turkish 2,5") << "tr_TR" << "2,5" << 2 << 2 << 2 << 2;
        QTest::newRow("Turkish 1,9") << "tr_TR" << "1,9" << 1 << 2 << 2 << 2;
        QTest::newRow("Turkish 29,9") << "tr_TR" << "29,9" << 29 << 29 << 29 << 29;
    }

private slots:
    void init() { savedLocale = QLocale(); }
    void cleanup()
    {
        QLocale::setDefault(savedLocale);
        delete fx;
        fx = nullptr;
    }

    // Each handler on a row of its own, all from the same text: typing
    // (row 1), the check box off and on (row 2), the picker (row 3), and
    // "Uygula" (row 4).
    void eachHandlerStoresByItsOwnRule_data() { addRuleColumns(); }
    void eachHandlerStoresByItsOwnRule()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(int, typed);
        QFETCH(int, checked);
        QFETCH(int, picker);
        QFETCH(int, refresh);
        QLocale::setDefault(QLocale(locale));
        startWith(editableCalendar());
        QCOMPARE(box(0)->text(), QString::number(Untouched));
        for (int row = 0; row < 4; ++row)
            box(row)->setText(text);
        QCOMPARE(record().ringDuration(Monday, 1), qint16(typed));
        QCOMPARE(box(0)->text(), text); // the stored number is never written back
        QCOMPARE(record().ringTime(Monday, 1), timeValue(this->picker(0)->time()));

        check(1)->setChecked(false);
        QCOMPARE(record().timeUsed(Monday, 2), qint16(0));
        check(1)->setChecked(true);
        QCOMPARE(record().timeUsed(Monday, 2), qint16(1));
        QCOMPARE(record().ringDuration(Monday, 2), qint16(checked));

        this->picker(2)->setTime(QTime(9, 41));
        QCOMPARE(record().ringDuration(Monday, 3), qint16(picker));
        QCOMPARE(record().ringTime(Monday, 3), at(9, 41));

        record().setRingDuration(Monday, 4, Untouched);
        record().setRingTime(Monday, 4, at(23, 59, 59));
        button("cmdRefresh")->click();
        QCOMPARE(record().ringDuration(Monday, 4), qint16(refresh));
        QCOMPARE(record().ringTime(Monday, 4), timeValue(this->picker(3)->time()));
        QVERIFY(fx->dialog.messages.isEmpty());
    }

    void refreshLeavesRows25To64Alone()
    {
        startWith(editableCalendar());
        for (int row : {0, 23, 24, 63})
            box(row)->setText("45"); // typing stores 3
        for (int row : {0, 23, 24, 63})
            QCOMPARE(record().ringDuration(Monday, row + 1), qint16(3));
        const qint16 usedBefore = record().timeUsed(Monday, 1);
        check(0)->setChecked(false); // Uygula never touches TimeUsed
        button("cmdRefresh")->click();
        QCOMPARE(record().ringDuration(Monday, 1), qint16(2));
        QCOMPARE(record().ringDuration(Monday, 24), qint16(2));
        QCOMPARE(record().ringDuration(Monday, 25), qint16(3));
        QCOMPARE(record().ringDuration(Monday, 64), qint16(3));
        QCOMPARE(record().timeUsed(Monday, 1), qint16(0));
        QVERIFY(usedBefore == 1);
    }

    void uncheckingKeepsTimeAndDurationAndDisablesTheRow()
    {
        startWith(editableCalendar());
        record().setRingTime(Monday, 4, at(10, 10, 10));
        QVERIFY(picker(3)->isEnabled());
        check(3)->setChecked(false);
        QVERIFY(!picker(3)->isEnabled());
        QVERIFY(!box(3)->isEnabled());
        QCOMPARE(record().timeUsed(Monday, 4), qint16(0));
        QCOMPARE(record().ringTime(Monday, 4), at(10, 10, 10));
        QCOMPARE(record().ringDuration(Monday, 4), Untouched);

        box(3)->setText("");
        check(3)->setChecked(true);
        QVERIFY(picker(3)->isEnabled() && box(3)->isEnabled());
        QCOMPARE(picker(3)->time(), QTime(7, 4));
        QCOMPARE(record().ringTime(Monday, 4), at(7, 4)); // the picker's time
        QCOMPARE(record().ringDuration(Monday, 4), qint16(2));
    }

    void programSetPickerTimeDoesNotStore()
    {
        RingCalendar calendar = editableCalendar();
        calendar.setRingTime(2, 1, at(6, 30, 45));
        calendar.setRingDuration(2, 1, Untouched);
        startWith(calendar);
        tabs()->setCurrentIndex(1);
        QCOMPARE(picker(0)->time(), QTime(6, 30));
        // Loading set the picker and the unchanged box text: nothing stored.
        QCOMPARE(record().ringTime(2, 1), at(6, 30, 45));
    }

    void loadingTurnsZeroDurationsIntoThreeWhereTheTextChanges()
    {
        RingCalendar calendar;
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            calendar.setRingDuration(Monday, slot, 5);
            calendar.setRingDuration(2, slot, 0);
            calendar.setRingTime(2, slot, at(7, 45, 30));
        }
        calendar.setRingDuration(2, 2, 5); // same text as Monday: no change, no handler
        startWith(calendar, false);
        tabs()->setCurrentIndex(1);
        QCOMPARE(record().ringDuration(2, 1), qint16(3));
        QCOMPARE(record().ringDuration(2, 64), qint16(3));
        QCOMPARE(box(0)->text(), QStringLiteral("0"));
        QCOMPARE(record().ringTime(2, 1), at(7, 45)); // from the picker just loaded
        QCOMPARE(record().ringDuration(2, 2), qint16(5));
        QCOMPARE(record().ringTime(2, 2), at(7, 45, 30));
        QCOMPARE(record().ringDuration(3, 1), qint16(0)); // other days wait until shown
    }

    void loadingRunsTheCheckBoxHandlingOnlyOnAChange()
    {
        RingCalendar calendar;
        calendar.setTimeUsed(2, 1, 7); // not 1: the box stays unchecked, nothing runs
        calendar.setTimeUsed(2, 4, 1);
        calendar.setRingDuration(Monday, 4, 12);
        calendar.setRingDuration(2, 4, 12);
        calendar.setRingTime(2, 4, at(9, 15, 30));
        startWith(calendar);
        QVERIFY(!picker(3)->isEnabled());
        tabs()->setCurrentIndex(1);
        QCOMPARE(record().timeUsed(2, 1), qint16(7));
        QVERIFY(check(3)->isChecked());
        QVERIFY(picker(3)->isEnabled() && box(3)->isEnabled());
        // While loading the check box stores TimeUsed only.
        QCOMPARE(record().ringTime(2, 4), at(9, 15, 30));
        QCOMPARE(record().ringDuration(2, 4), qint16(12));
    }

    void rowsEditTheSelectedDay()
    {
        startWith(editableCalendar());
        tabs()->setCurrentIndex(4);
        box(10)->setText("9");
        QCOMPARE(record().ringDuration(5, 11), qint16(9));
        QCOMPARE(record().ringDuration(Monday, 11), Untouched);
    }

    void copyFromMondayIsHiddenOnMondayAndCopiesAllSlots()
    {
        RingCalendar calendar = editableCalendar();
        calendar.setTimeUsed(Monday, 64, 0);
        calendar.setRingDuration(Monday, 64, 21);
        calendar.setRingTime(Monday, 64, at(21, 21));
        calendar.setRingDuration(3, 1, 4);
        startWith(calendar);
        QVERIFY(button("cmdCopyFromMonday")->isHidden());
        tabs()->setCurrentIndex(2);
        QVERIFY(!button("cmdCopyFromMonday")->isHidden());
        QCOMPARE(box(0)->text(), QStringLiteral("4"));
        const QByteArray fileBefore = fx->readFile("RingCalendar.dat");

        button("cmdCopyFromMonday")->click();
        QCOMPARE(tabs()->currentIndex(), 2);
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            QCOMPARE(record().ringDuration(3, slot), record().ringDuration(Monday, slot));
            QCOMPARE(record().timeUsed(3, slot), record().timeUsed(Monday, slot));
            QCOMPARE(record().ringTime(3, slot), record().ringTime(Monday, slot));
        }
        QCOMPARE(box(0)->text(), QString::number(Untouched));
        QCOMPARE(box(63)->text(), QStringLiteral("21"));
        QVERIFY(!check(63)->isChecked());
        QCOMPARE(picker(63)->time(), QTime(21, 21));
        QVERIFY(fx->dialog.messages.isEmpty());
        QCOMPARE(fx->readFile("RingCalendar.dat"), fileBefore);
    }

    void clearingCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<DialogAnswer>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("done");
        using A = DialogAnswer;
        for (const char *command : {"cmdDeleteAll", "cmdFactoryDefault"}) {
            const QByteArray name(command);
            QTest::newRow(name + " Cancel") << QString(name) << QList<A>{A::Cancel} << 1 << false;
            QTest::newRow(name + " No") << QString(name) << QList<A>{A::No} << 1 << false;
            QTest::newRow(name + " Yes then No") << QString(name) << QList<A>{A::Yes, A::No} << 2 << false;
            QTest::newRow(name + " Yes Yes") << QString(name) << QList<A>{A::Yes, A::Yes} << 2 << true;
        }
    }
    void clearingCommands()
    {
        QFETCH(QString, command);
        QFETCH(QList<DialogAnswer>, answers);
        QFETCH(int, questions);
        QFETCH(bool, done);
        const bool deleteAll = command == QLatin1String("cmdDeleteAll");

        RingCalendar calendar = editableCalendar();
        calendar.DeviceVersion = 3;
        startWith(calendar);
        fx->child<QAbstractButton>("opsDeviceVersion_2")->click(); // the window's model, not yet saved
        tabs()->setCurrentIndex(3);
        const RingCalendar before = record();
        const QByteArray fileBefore = fx->readFile("RingCalendar.dat");

        fx->dialog.answers = answers;
        button(command.toLatin1().constData())->click();

        QCOMPARE(fx->dialog.messages.size(), questions);
        QCOMPARE(fx->dialog.messages[0].text, deleteAll ? DeleteAllQuestion : FactoryQuestion);
        QCOMPARE(int(fx->dialog.messages[0].buttons), int(DialogButtons::YesNoCancel));
        if (questions > 1) {
            QCOMPARE(fx->dialog.messages[1].text, ConfirmQuestion);
            QCOMPARE(int(fx->dialog.messages[1].buttons), int(DialogButtons::YesNo));
        }
        if (!done) {
            QVERIFY(record() == before);
            QCOMPARE(fx->readFile("RingCalendar.dat"), fileBefore);
            QCOMPARE(tabs()->currentIndex(), 3);
            return;
        }
        QCOMPARE(record().DeviceVersion, qint16(deleteAll ? 2 : 3));
        QCOMPARE(record().timeUsed(7, 1), qint16(deleteAll ? 0 : 1));
        QCOMPARE(record().ringTime(7, 8), deleteAll ? 0.0 : at(20, 0));
        QCOMPARE(record().ringDuration(4, 64), qint16(3));
        QCOMPARE(fx->readFile("RingCalendar.dat"), calendarToBytes(record()));
        // Monday shown from the record.
        QCOMPARE(tabs()->currentIndex(), 0);
        QCOMPARE(check(0)->isChecked(), !deleteAll);
        QCOMPARE(picker(1)->time(), deleteAll ? QTime(0, 0) : QTime(8, 0));
        QCOMPARE(box(0)->text(), QStringLiteral("3"));
    }

    void clearingOnMondayReloadsMonday()
    {
        startWith(editableCalendar());
        QCOMPARE(tabs()->currentIndex(), 0);
        fx->dialog.answers = {DialogAnswer::Yes, DialogAnswer::Yes};
        button("cmdDeleteAll")->click();
        QVERIFY(!check(0)->isChecked());
        QVERIFY(!picker(0)->isEnabled());
        QCOMPARE(box(40)->text(), QStringLiteral("3"));
    }
};

QTEST_MAIN(CalendarEditorTest)
#include "tst_calendareditor.moc"
