// The model buttons and the connection frame in the real window: how each
// model reshapes the rows, the serial settings it chooses, the TCP switch,
// the port list, "Kaydet", and the names an accessibility tool reads.
#include "ui/WindowFixture.h"

#include "schedule/CalendarFile.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTimeEdit>

namespace {
const QColor Green(0, 255, 0);

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// What the operator sees behind the button's text, near its right edge.
QColor buttonFace(QWidget *button)
{
    const QImage picture = button->grab().toImage();
    return picture.pixelColor(picture.width() - 2, picture.height() / 2);
}
} // namespace

class ModelSettingsTest : public QObject
{
    Q_OBJECT

    WindowFixture *fx = nullptr;

    QRadioButton *model(int index) { return fx->row<QRadioButton>("opsDeviceVersion", index); }
    QCheckBox *check(int row) { return fx->row<QCheckBox>("chkTimeUsed", row); }
    QTimeEdit *picker(int row) { return fx->row<QTimeEdit>("dtTime", row); }
    QLineEdit *box(int row) { return fx->row<QLineEdit>("txtRingTime", row); }

private slots:
    void init()
    {
        fx = new WindowFixture;
        fx->start();
        fx->window->show();
    }
    void cleanup()
    {
        delete fx;
        fx = nullptr;
    }

    void modelsReshapeTheRows_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("rowsShown");
        QTest::addColumn<bool>("lengthShown");
        QTest::addColumn<int>("labelPairs");
        QTest::addColumn<QString>("line");
        QTest::newRow("V1") << 0 << 24 << true << 0 << "9600,o,8,1";
        QTest::newRow("V2  (24 Zaman)") << 1 << 24 << true << 0 << "38400,o,8,1";
        QTest::newRow("V2  (Int. Timer)") << 2 << 2 << false << 1 << "38400,o,8,1";
        QTest::newRow("V3  (64 Zaman)") << 3 << 64 << true << 0 << "38400,o,8,1";
        QTest::newRow("V3  (Int. Timer)") << 4 << 16 << false << 8 << "38400,o,8,1";
    }
    void modelsReshapeTheRows()
    {
        QFETCH(int, index);
        QFETCH(int, rowsShown);
        QFETCH(bool, lengthShown);
        QFETCH(int, labelPairs);
        QFETCH(QString, line);

        // Start from another model so the click is a real change.
        model(index == 3 ? 4 : 3)->click();
        model(index)->click();

        QCOMPARE(model(index)->text(), QString::fromUtf8(QTest::currentDataTag()));
        QCOMPARE(fx->window->selectedDeviceVersion(), qint16(index));
        QCOMPARE(fx->window->lineSettings(), line);
        QCOMPARE(fx->window->calendar().DeviceVersion, qint16(0)); // only "Kaydet" stores the model
        for (int other = 0; other < ModelCount; ++other)
            QCOMPARE(buttonFace(model(other)) == Green, other == index);

        for (int row = 0; row < SlotsPerDay; ++row) {
            const bool shown = row < rowsShown;
            QCOMPARE(!check(row)->isHidden(), shown);
            QCOMPARE(!picker(row)->isHidden(), shown);
            QCOMPARE(!box(row)->isHidden(), shown && lengthShown);
            QCOMPARE(check(row)->text(), lengthShown ? QString::number(row + 1) : QString());
            QCOMPARE(accessibleName(check(row)), QStringLiteral("Zil %1 kullanımda").arg(row + 1));
        }
        for (int pair = 0; pair < 8; ++pair) {
            auto *start = fx->row<QLabel>("lblStart", pair);
            auto *end = fx->row<QLabel>("lblEnd", pair);
            QCOMPARE(!start->isHidden(), pair < labelPairs);
            QCOMPARE(!end->isHidden(), pair < labelPairs);
            QCOMPARE(start->text(), QStringLiteral("Başlama %1:").arg(pair + 1));
            QCOMPARE(end->text(), QStringLiteral("Bitiş %1:").arg(pair + 1));
            const QColor colour = pair % 2 == 0 ? QColor(0, 0, 255) : QColor(255, 0, 0);
            QCOMPARE(start->palette().color(QPalette::WindowText), colour);
            QCOMPARE(end->palette().color(QPalette::WindowText), colour);
        }
    }

    void switchingModelsKeepsHiddenRowsAndTheDay()
    {
        model(3)->click();
        fx->window->findChild<QTabBar *>("TabRingDays")->setCurrentIndex(2);
        check(50)->setChecked(true);
        box(50)->setText("17");
        picker(50)->setTime(QTime(17, 17));
        const RingCalendar before = fx->window->calendar();

        model(0)->click();
        QVERIFY(check(50)->isHidden());
        QVERIFY(fx->window->calendar() == before);
        model(3)->click();
        QVERIFY(!check(50)->isHidden());
        QVERIFY(check(50)->isChecked() && picker(50)->isEnabled());
        QCOMPARE(box(50)->text(), QStringLiteral("17"));
        QCOMPARE(picker(50)->time(), QTime(17, 17));
        QCOMPARE(fx->window->findChild<QTabBar *>("TabRingDays")->currentIndex(), 2);
        QVERIFY(fx->window->calendar() == before);
    }

    void tcpSwitchTogglesTheConnectionControlsOnly()
    {
        auto *tcp = fx->child<QCheckBox>("chkTCPIPActive");
        auto *port = fx->child<QComboBox>("cmbPortNo");
        auto *ip = fx->child<QLineEdit>("txtIP");
        auto *tcpPort = fx->child<QLineEdit>("txtPort");
        QVERIFY(!tcp->isChecked());
        QVERIFY(port->isEnabled() && !ip->isEnabled() && !tcpPort->isEnabled());
        QCOMPARE(tcpPort->text(), QStringLiteral("5600"));
        const QString line = fx->window->lineSettings();

        tcp->click();
        QVERIFY(!port->isEnabled() && ip->isEnabled() && tcpPort->isEnabled());
        tcp->toggle(); // as an accessibility tool presses it
        QVERIFY(port->isEnabled() && !ip->isEnabled() && !tcpPort->isEnabled());
        QCOMPARE(fx->window->lineSettings(), line);
        QVERIFY(fx->dialog.messages.isEmpty());
        QVERIFY(!QFileInfo(fx->path("Ringer.ini")).size());
    }

    void choosingAPortStoresItAtOnce()
    {
        auto *port = fx->child<QComboBox>("cmbPortNo");
        QCOMPARE(port->count(), 16);
        QCOMPARE(port->itemText(0), QStringLiteral("1"));
        QCOMPARE(port->itemText(15), QStringLiteral("16"));
        const int portAtStart = fx->window->serialPortNumber();
        port->setCurrentIndex(4);
        emit port->activated(4);
        QCOMPARE(fx->readFile("Ringer.ini"), QByteArray("\x05\x00\x00\x00", 4));
        QCOMPARE(fx->window->serialPortNumber(), portAtStart); // used from the next start
        QVERIFY(fx->dialog.messages.isEmpty());
    }

    void saveStoresTheWindowsModelAndBothFiles()
    {
        model(4)->click();
        QCOMPARE(fx->window->calendar().DeviceVersion, qint16(0));
        fx->child<QPushButton>("cmdSave")->click();
        QCOMPARE(fx->window->calendar().DeviceVersion, qint16(4));
        QCOMPARE(fx->readFile("RingCalendar.dat"), calendarToBytes(fx->window->calendar()));
        QCOMPARE(fx->readFile("Ringer.ini").size(), 4);
        QCOMPARE(fx->window->lineSettings(), QStringLiteral("38400,o,8,1"));
        model(0)->click();
        fx->child<QPushButton>("cmdSave")->click();
        QCOMPARE(fx->readFile("RingCalendar.dat").left(2), QByteArray("\x00\x00", 2));
        QCOMPARE(fx->window->lineSettings(), QStringLiteral("9600,o,8,1"));
        QVERIFY(fx->dialog.messages.isEmpty());
    }

    void relaySpinnerSetsWholeSecondsOneToThirty()
    {
        auto *spinner = fx->child<QSpinBox>("UpDown1");
        auto *seconds = fx->child<QLabel>("lblRelayTest");
        QCOMPARE(seconds->text(), QStringLiteral("3"));
        spinner->stepUp();
        QCOMPARE(seconds->text(), QStringLiteral("4"));
        spinner->setValue(0);
        QCOMPARE(seconds->text(), QStringLiteral("1"));
        spinner->setValue(31);
        QCOMPARE(seconds->text(), QStringLiteral("30"));
        spinner->stepUp();
        QCOMPARE(seconds->text(), QStringLiteral("30"));
        QCOMPARE(fx->child<QLabel>("Label9")->text(), QStringLiteral("sn"));
    }

    void controlsCarryTheirNames_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("name");
        QTest::newRow("cmbPortNo") << "cmbPortNo" << "Com Port:";
        QTest::newRow("chkTCPIPActive") << "chkTCPIPActive" << "TCPIP Aktif:";
        QTest::newRow("txtIP") << "txtIP" << "IP Adres:";
        QTest::newRow("txtPort") << "txtPort" << "TCP Port:";
        QTest::newRow("dtTime_0") << "dtTime_0" << "Zil 1 saati";
        QTest::newRow("txtRingTime_63") << "txtRingTime_63" << "Zil 64 süresi";
        QTest::newRow("cmdClose") << "cmdClose" << "Programı Kapat";
        QTest::newRow("cmdTest") << "cmdTest" << "Şimdi Çaldır";
        QTest::newRow("cmdSendClock") << "cmdSendClock" << "Gönder";
        QTest::newRow("cmdReceiveClock") << "cmdReceiveClock" << "Al";
        QTest::newRow("cmdSendCalendar") << "cmdSendCalendar" << "Gönder";
        QTest::newRow("cmdReceiveCalendar") << "cmdReceiveCalendar" << "Al";
        QTest::newRow("cmdCopyFromMonday") << "cmdCopyFromMonday" << "Pazartesi'den Al";
        QTest::newRow("cmdFactoryDefault") << "cmdFactoryDefault" << "Fabrika Ayarlarına Dön";
        QTest::newRow("cmdDeleteAll") << "cmdDeleteAll" << "Tümünü Sil";
        QTest::newRow("cmdSave") << "cmdSave" << "Kaydet";
        QTest::newRow("cmdRefresh") << "cmdRefresh" << "Uygula";
        QTest::newRow("opsDeviceVersion_1") << "opsDeviceVersion_1" << "V2  (24 Zaman)";
        QTest::newRow("Frame3") << "Frame3" << "Cihaz Modeli";
        QTest::newRow("Frame2") << "Frame2" << "Bağlantı Ayarları";
        QTest::newRow("Frame1") << "Frame1" << "Cihaz Saat Ayarı";
        QTest::newRow("Frame4") << "Frame4" << "Röle Test";
        QTest::newRow("frWindows") << "frWindows" << "Zil Takvimi Ayarları";
        QTest::newRow("Label1") << "Label1" << "Cihaz Saati:";
        QTest::newRow("Label2") << "Label2" << "PC Saati:";
    }
    void controlsCarryTheirNames()
    {
        QFETCH(QString, objectName);
        QFETCH(QString, name);
        QWidget *widget = fx->child<QWidget>(objectName);
        QVERIFY(widget);
        QCOMPARE(accessibleName(widget), name);
    }

    void clockLabelsReadTheirText()
    {
        for (const char *name : {"lblPCClock", "lblRingerClock", "lblRelayTest"})
            QVERIFY(fx->child<QLabel>(QLatin1String(name))->accessibleName().isEmpty());
        for (const char *name : {"lblPCClock", "lblRelayTest"}) {
            auto *label = fx->child<QLabel>(QLatin1String(name));
            QVERIFY(!label->text().isEmpty());
            QCOMPARE(accessibleName(label), label->text());
        }
    }

    void longestClockTextsFitTheirLabels()
    {
        auto *pcClock = fx->child<QLabel>("lblPCClock");
        auto *ringerClock = fx->child<QLabel>("lblRingerClock");
        for (const char *day : {"Cumartesi", "Wednesday", "Çarşamba", "Tanımsız"}) {
            pcClock->setText(QStringLiteral("30/12/2026 23:59:59, ") + QString::fromUtf8(day));
            ringerClock->setText(pcClock->text());
            fx->window->layout()->activate();
            QCOMPARE(fx->window->width(), 670);
            QVERIFY(fx->window->minimumSizeHint().width() <= 670);
            for (QLabel *clock : {pcClock, ringerClock})
                QVERIFY2(clock->width() >= clock->sizeHint().width(), qPrintable(clock->text()));
        }
    }

    void every64RowsFitTheWindow()
    {
        model(3)->click();
        QCOMPARE(fx->window->size(), QSize(670, 703));
        const QRect window = fx->window->rect();
        for (int row = 0; row < SlotsPerDay; ++row) {
            for (QWidget *control : {static_cast<QWidget *>(check(row)), static_cast<QWidget *>(picker(row)), static_cast<QWidget *>(box(row))}) {
                const QRect place(control->mapTo(fx->window.get(), QPoint(0, 0)), control->size());
                QVERIFY2(window.contains(place), qPrintable(control->objectName()));
            }
            if (row % 16 != 15) {
                const int next = check(row + 1)->mapTo(fx->window.get(), QPoint(0, 0)).y();
                QVERIFY2(next >= check(row)->mapTo(fx->window.get(), QPoint(0, 0)).y() + check(row)->height(),
                         "rows overlap");
            }
        }
    }
};

QTEST_MAIN(ModelSettingsTest)
#include "tst_modelsettings.moc"
