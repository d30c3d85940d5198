// Start-up and exit of the real main window over a temporary data directory:
// what the window shows after loading the two files, what it stores when it
// closes, and what the operator is told when a file cannot be stored.
#include "ui/WindowFixture.h"

#include "schedule/CalendarFile.h"
#include "ui/PcClockText.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimeEdit>

Q_DECLARE_METATYPE(DialogAnswer)

namespace {
const QByteArray NoBytes;

QByteArray calendarWithModel(qint16 model)
{
    RingCalendar calendar;
    calendar.DeviceVersion = model;
    return calendarToBytes(calendar);
}

// Saving replaces a file by renaming a finished copy over it; a directory in
// its place refuses that also for root.
bool blockFile(WindowFixture &fx, const QString &fileName)
{
    QFile::remove(fx.path(fileName));
    return QDir(fx.dataDir.path()).mkdir(fileName);
}
} // namespace

// Swallows every activation, as a desktop without a window manager would.
class ActivationEater : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::WindowActivate; }
};

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartWithoutFiles()
    {
        WindowFixture fx;
        frmRinger &window = fx.start(false);
        QSignalSpy unloaded(&window, &frmRinger::unloaded);

        QCOMPARE(window.windowTitle(), QStringLiteral("ZK-480 Zil Sistemi Konfigürasyon V1.5"));
        QCOMPARE(window.size(), QSize(670, 703));
        QCOMPARE(fx.child<QComboBox>("cmbPortNo")->currentIndex(), -1);
        QVERIFY(fx.row<QRadioButton>("opsDeviceVersion", 0)->isChecked());
        QCOMPARE(window.selectedDeviceVersion(), qint16(0));
        QCOMPARE(window.lineSettings(), QStringLiteral("9600,o,8,1"));
        QCOMPARE(fx.child<QLabel>("lblRelayTest")->text(), QStringLiteral("3"));
        QCOMPARE(fx.child<QLabel>("lblRingerClock")->text(), QString());
        QCOMPARE(fx.child<QLineEdit>("txtIP")->text(), QStringLiteral("192.168.1.100"));
        QVERIFY(!fx.child<QCheckBox>("chkTCPIPActive")->isChecked());
        for (int row = 0; row < SlotsPerDay; ++row) {
            QVERIFY(!fx.row<QTimeEdit>("dtTime", row)->isEnabled());
            QVERIFY(!fx.row<QLineEdit>("txtRingTime", row)->isEnabled());
        }
        // Both files exist, empty, right after loading.
        QVERIFY(QFileInfo::exists(fx.path("Ringer.ini")));
        QCOMPARE(QFileInfo(fx.path("RingCalendar.dat")).size(), 0);

        window.Form_Activate();
        QCOMPARE(fx.child<QTabBar>("TabRingDays")->currentIndex(), 0);
        QVERIFY(fx.child<QPushButton>("cmdCopyFromMonday")->isHidden());
        // Loading Monday turned its zero durations into 3 in the record; the
        // box kept "0" while Tuesday was shown, so Tuesday's zeros stayed.
        QCOMPARE(fx.row<QLineEdit>("txtRingTime", 0)->text(), QStringLiteral("3"));
        QCOMPARE(window.calendar().ringDuration(1, 1), qint16(3));
        QCOMPARE(window.calendar().ringDuration(2, 1), qint16(0));

        QVERIFY(window.close());
        QCOMPARE(unloaded.count(), 1);
        QCOMPARE(fx.readFile("Ringer.ini"), QByteArray(4, '\0'));
        QCOMPARE(fx.readFile("RingCalendar.dat").size(), CalendarFileSize);
        QCOMPARE(fx.readFile("RingCalendar.dat"), calendarToBytes(window.calendar()));
        QVERIFY(fx.dialog.messages.isEmpty());
    }

    void storedModelIsShown_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("stored");
        QTest::newRow("2 bytes 04 00") << QByteArray("\x04\x00", 2) << 4 << "38400,o,8,1" << 4;
        QTest::newRow("model 3") << calendarWithModel(3) << 3 << "38400,o,8,1" << 3;
        QTest::newRow("model 0") << calendarWithModel(0) << 0 << "9600,o,8,1" << 0;
        QTest::newRow("model 7 becomes 1") << calendarWithModel(7) << 1 << "38400,o,8,1" << 1;
        QTest::newRow("one odd byte") << QByteArray("\x09", 1) << 1 << "38400,o,8,1" << 1;
        QTest::newRow("garbage 6000 bytes") << QByteArray(6000, '\xff') << 1 << "38400,o,8,1" << 1;
    }
    void storedModelIsShown()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, shown);
        QFETCH(QString, line);
        QFETCH(int, stored);
        WindowFixture fx;
        QVERIFY(fx.writeFile("RingCalendar.dat", file));
        frmRinger &window = fx.start(false);
        QCOMPARE(window.calendar().DeviceVersion, qint16(stored));
        QVERIFY(fx.row<QRadioButton>("opsDeviceVersion", shown)->isChecked());
        QCOMPARE(window.selectedDeviceVersion(), qint16(shown));
        QCOMPARE(window.lineSettings(), line);
        window.Form_Activate();
        QCOMPARE(window.selectedDeviceVersion(), qint16(shown));

        QVERIFY(window.close());
        const QByteArray after = fx.readFile("RingCalendar.dat");
        QCOMPARE(after.size(), qMax(file.size(), CalendarFileSize));
        QCOMPARE(after.left(2), calendarWithModel(qint16(stored)).left(2));
        QCOMPARE(after.mid(CalendarFileSize), file.mid(CalendarFileSize)); // a longer file keeps its tail
        QVERIFY(fx.dialog.messages.isEmpty());
    }

    void settingsFileChoosesThePort_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("listIndex");
        QTest::addColumn<int>("serialPort");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("port 3") << QByteArray("\x03\x00\x00\x00", 4) << 2 << 3 << QByteArray("\x03\x00\x00\x00", 4);
        QTest::newRow("port 17 reserved 9") << QByteArray("\x11\x00\x09\x00", 4) << 0 << 1 << QByteArray("\x01\x00\x05\x00", 4);
        QTest::newRow("both -1") << QByteArray("\xff\xff\xff\xff", 4) << 0 << 1 << QByteArray("\x01\x00\xff\xff", 4);
        QTest::newRow("port 16 and a tail") << QByteArray("\x10\x00\x00\x00xyz", 7) << 15 << 16 << QByteArray("\x10\x00\x00\x00xyz", 7);
        QTest::newRow("one byte") << QByteArray("\x02", 1) << 1 << 2 << QByteArray("\x02\x00\x00\x00", 4);
    }
    void settingsFileChoosesThePort()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, listIndex);
        QFETCH(int, serialPort);
        QFETCH(QByteArray, saved);
        WindowFixture fx;
        QVERIFY(fx.writeFile("Ringer.ini", file));
        frmRinger &window = fx.start();
        QCOMPARE(fx.child<QComboBox>("cmbPortNo")->currentIndex(), listIndex);
        QCOMPARE(window.serialPortNumber(), serialPort);
        QVERIFY(window.close());
        QCOMPARE(fx.readFile("Ringer.ini"), saved);
    }

    void activationEventShowsMondayOnlyOnce()
    {
        WindowFixture fx;
        RingCalendar calendar;
        calendar.DeviceVersion = 4;
        calendar.setRingDuration(3, 1, 9);
        QVERIFY(fx.writeFile("RingCalendar.dat", calendarToBytes(calendar)));
        frmRinger &window = fx.start(false);
        auto *tabs = fx.child<QTabBar>("TabRingDays");
        tabs->setCurrentIndex(2);
        fx.row<QRadioButton>("opsDeviceVersion", 1)->click();

        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&window, &activate);
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(window.selectedDeviceVersion(), qint16(4)); // shaped for the loaded model again
        QVERIFY(fx.row<QLineEdit>("txtRingTime", 0)->isHidden());

        tabs->setCurrentIndex(2);
        QCOMPARE(fx.row<QLineEdit>("txtRingTime", 0)->text(), QStringLiteral("9"));
        QApplication::sendEvent(&window, &activate);
        window.Form_Activate();
        QCOMPARE(tabs->currentIndex(), 2);
    }

    void shownWithoutActivationIsStillShaped()
    {
        // No window manager hands out activation: the first show must shape
        // the window for the stored model all the same.
        WindowFixture fx;
        RingCalendar calendar; // model "V1"
        QVERIFY(fx.writeFile("RingCalendar.dat", calendarToBytes(calendar)));
        frmRinger &window = fx.start(false);
        QVERIFY(fx.row<QLabel>("lblStart", 0)->isVisibleTo(&window)); // as built, before shaping
        ActivationEater eater;
        window.installEventFilter(&eater);
        window.show();
        QTRY_VERIFY(!fx.row<QLabel>("lblStart", 0)->isVisibleTo(&window));
        QVERIFY(fx.row<QCheckBox>("chkTimeUsed", 23)->isVisibleTo(&window));
        QVERIFY(!fx.row<QCheckBox>("chkTimeUsed", 24)->isVisibleTo(&window));
        window.hide();
    }

    void closeBoxStoresLikeTheCloseButton()
    {
        QByteArray stored[2];
        for (int way = 0; way < 2; ++way) {
            WindowFixture fx;
            frmRinger &window = fx.start();
            window.show();
            QSignalSpy unloaded(&window, &frmRinger::unloaded);
            fx.row<QRadioButton>("opsDeviceVersion", 3)->click(); // not stored: no "Kaydet"
            fx.row<QCheckBox>("chkTimeUsed", 40)->setChecked(true);
            fx.row<QLineEdit>("txtRingTime", 40)->setText("12");
            fx.child<QComboBox>("cmbPortNo")->setCurrentIndex(6);
            emit fx.child<QComboBox>("cmbPortNo")->activated(6);
            if (way == 0) {
                QCloseEvent closeBox;
                QApplication::sendEvent(&window, &closeBox);
                QVERIFY(closeBox.isAccepted());
            } else {
                fx.child<QPushButton>("cmdClose")->click();
                QVERIFY(!window.isVisible());
            }
            QCOMPARE(unloaded.count(), 1);
            QCOMPARE(fx.readFile("Ringer.ini"), QByteArray("\x07\x00\x00\x00", 4));
            stored[way] = fx.readFile("RingCalendar.dat");
            QCOMPARE(stored[way].left(2), QByteArray(2, '\0'));
            QVERIFY(fx.dialog.messages.isEmpty());
        }
        QCOMPARE(stored[0], stored[1]);
    }

    void unwritableCalendarAsksBeforeLeaving_data()
    {
        QTest::addColumn<DialogAnswer>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("No keeps the program open") << DialogAnswer::No << false;
        QTest::newRow("Yes leaves") << DialogAnswer::Yes << true;
    }
    void unwritableCalendarAsksBeforeLeaving()
    {
        QFETCH(DialogAnswer, answer);
        QFETCH(bool, closes);
        WindowFixture fx;
        QVERIFY(blockFile(fx, "RingCalendar.dat"));
        frmRinger &window = fx.start();
        QVERIFY(fx.dialog.messages.isEmpty()); // an unreadable file at start stays silent
        window.show();
        QSignalSpy unloaded(&window, &frmRinger::unloaded);

        fx.dialog.answers = {DialogAnswer::Ok, answer};
        QCOMPARE(window.close(), closes);
        QCOMPARE(window.isVisible(), !closes);
        QCOMPARE(unloaded.count(), closes ? 1 : 0);
        QCOMPARE(fx.dialog.messages.size(), 2);
        const QString path = QDir::toNativeSeparators(fx.path("RingCalendar.dat"));
        const QString told = fx.dialog.messages[0].text;
        QVERIFY2(told.startsWith(QStringLiteral("Zil takvimi dosyası kaydedilemedi:\r\n") + path + QStringLiteral("\r\n")), qPrintable(told));
        QVERIFY(told.size() > QStringLiteral("Zil takvimi dosyası kaydedilemedi:\r\n\r\n").size() + path.size());
        QCOMPARE(int(fx.dialog.messages[0].buttons), int(DialogButtons::Ok));
        QCOMPARE(fx.dialog.messages[1].text, QStringLiteral("Zil takvimi kaydedilmeden programdan çıkılsın mı?"));
        QCOMPARE(int(fx.dialog.messages[1].buttons), int(DialogButtons::YesNo));
        // The settings were stored all the same, and nothing half-written is left.
        QCOMPARE(fx.readFile("Ringer.ini").size(), 4);
        QCOMPARE(QDir(fx.dataDir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"Ringer.ini"});
    }

    void unwritableFilesAreNamed_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QList<DialogAnswer>>("answers");
        QTest::addColumn<QString>("told");
        const QString calendar = QStringLiteral("Zil takvimi dosyası kaydedilemedi:\r\n");
        const QString settings = QStringLiteral("Ayar dosyası kaydedilemedi:\r\n");
        using A = DialogAnswer;
        QTest::newRow("Kaydet, calendar") << "RingCalendar.dat" << "cmdSave" << QList<A>{} << calendar;
        QTest::newRow("Kaydet, settings") << "Ringer.ini" << "cmdSave" << QList<A>{} << settings;
        QTest::newRow("Tümünü Sil") << "RingCalendar.dat" << "cmdDeleteAll" << QList<A>{A::Yes, A::Yes} << calendar;
        QTest::newRow("Fabrika Ayarlarına Dön") << "RingCalendar.dat" << "cmdFactoryDefault" << QList<A>{A::Yes, A::Yes} << calendar;
        QTest::newRow("port list") << "Ringer.ini" << "cmbPortNo" << QList<A>{} << settings;
        QTest::newRow("exit, settings") << "Ringer.ini" << "cmdClose" << QList<A>{} << settings;
    }
    void unwritableFilesAreNamed()
    {
        QFETCH(QString, blocked);
        QFETCH(QString, button);
        QFETCH(QList<DialogAnswer>, answers);
        QFETCH(QString, told);
        WindowFixture fx;
        QVERIFY(blockFile(fx, blocked));
        frmRinger &window = fx.start();
        QVERIFY(fx.dialog.messages.isEmpty());
        window.show();
        QSignalSpy unloaded(&window, &frmRinger::unloaded);

        fx.dialog.answers = answers;
        if (button == QLatin1String("cmbPortNo"))
            emit fx.child<QComboBox>(button)->activated(2);
        else
            fx.child<QPushButton>(button)->click();

        const QString expected = told + QDir::toNativeSeparators(fx.path(blocked)) + QStringLiteral("\r\n");
        const QStringList texts = fx.dialog.texts();
        QCOMPARE(texts.size(), answers.size() + 1);
        QVERIFY2(texts.last().startsWith(expected), qPrintable(texts.last()));
        QCOMPARE(int(fx.dialog.messages.last().buttons), int(DialogButtons::Ok));
        // A settings file that cannot be stored does not hold the program.
        if (button == QLatin1String("cmdClose"))
            QCOMPARE(unloaded.count(), 1);
    }

    void busyStateDisablesAndRestoresOnce()
    {
        WindowFixture fx;
        frmRinger &window = fx.start();
        QApplication::setOverrideCursor(Qt::PointingHandCursor); // someone else's cursor
        window.BeginBusy();
        QVERIFY(!window.isEnabled());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        window.BeginBusy(); // a second begin stacks nothing
        window.EndBusy();
        QVERIFY(window.isEnabled());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        window.EndBusy();
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        QApplication::restoreOverrideCursor();
        QVERIFY(!QApplication::overrideCursor());
    }

    void pcClockTicksEverySecond()
    {
        WindowFixture fx;
        fx.start();
        auto *clock = fx.child<QLabel>("lblPCClock");
        const QString first = clock->text();
        QVERIFY2(QRegularExpression(QStringLiteral(R"(^\d\d\D\d\d\D\d{4} \d\d\D\d\d\D\d\d, \S+$)")).match(first).hasMatch(), qPrintable(first));
        QTRY_VERIFY_WITH_TIMEOUT(clock->text() != first, 2500);
        const QString now = pcClockText(QDateTime::currentDateTime(), QLocale::system());
        QCOMPARE(clock->text().left(10), now.left(10));
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
