#include "ControllerSimulator.h"
#include "operations/OperationTestHost.h"
#include "operations/OperationTexts.h"
#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
#include "schedule/SettingsFile.h"
#include "ui/frmRinger.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <memory>

namespace {

QWidget *progressWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("frmComStatus"))
            return widget;
    }
    return nullptr;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The device buttons of the real main window, offscreen, against the
// simulator: what the operator clicks, sees and is told.
class DeviceButtonsInWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sendOverTcp();
    void receiveOverSerial();
    void clockAndRelayButtons();
    void closeBoxRefusedThenCancelButton();

private:
    template<typename T>
    T *child(const QString &name) const
    {
        T *found = m_window->findChild<T *>(name);
        if (!found)
            qWarning("no control named %s", qPrintable(name));
        return found;
    }
    void startWindow();
    void useTcp();

    QTemporaryDir m_dataDir;
    std::unique_ptr<ControllerSimulator> m_simulator;
    ScriptedDialog m_dialog;
    std::unique_ptr<frmRinger> m_window;
    // What stood around each message: the progress window and the main window.
    QList<bool> m_progressVisibleAtMessage;
    QList<bool> m_progressEnabledAtMessage;
};

void DeviceButtonsInWindowTest::init()
{
    QVERIFY(m_dataDir.isValid());
    m_simulator = std::make_unique<ControllerSimulator>();
    QVERIFY(m_simulator->listenTcp());
    QVERIFY(m_simulator->openSerial());
    m_dialog.entries.clear();
    m_dialog.answers.clear();
    m_progressVisibleAtMessage.clear();
    m_progressEnabledAtMessage.clear();
    m_dialog.busyProbe = [this] {
        QWidget *progress = progressWindow();
        m_progressVisibleAtMessage.append(progress && progress->isVisible());
        m_progressEnabledAtMessage.append(progress && progress->isEnabled());
        return m_window && !m_window->isEnabled();
    };
}

void DeviceButtonsInWindowTest::cleanup()
{
    m_window.reset();
    m_simulator.reset();
}

void DeviceButtonsInWindowTest::startWindow()
{
    m_window = std::make_unique<frmRinger>(m_dataDir.path(), m_dialog);
    m_window->show();
    m_window->Form_Activate();
}

void DeviceButtonsInWindowTest::useTcp()
{
    child<QCheckBox>(QStringLiteral("chkTCPIPActive"))->setChecked(true);
    child<QLineEdit>(QStringLiteral("txtIP"))->setText(QStringLiteral(" 127.0.0.1 "));
    child<QLineEdit>(QStringLiteral("txtPort"))->setText(QString::number(m_simulator->tcpPort()));
}

void DeviceButtonsInWindowTest::sendOverTcp()
{
    startWindow();
    useTcp();
    QTest::mouseClick(child<QRadioButton>(QStringLiteral("opsDeviceVersion_3")), Qt::LeftButton);
    m_simulator->setModel(ModelV3Times64);
    const RingCalendar schedule = patternedCalendar(21);
    m_window->calendar() = schedule;

    QTest::mouseClick(child<QPushButton>(QStringLiteral("cmdSendCalendar")), Qt::LeftButton);

    QCOMPARE(m_dialog.texts(), QStringList({OperationText::AskSendCalendar, OperationText::SendSucceeded}));
    QCOMPARE(m_progressVisibleAtMessage, QList<bool>({false, true}));
    QVERIFY(m_progressEnabledAtMessage.last()); // usable while the main window is busy
    QVERIFY(m_dialog.entries.last().busy == false);
    QVERIFY(!progressWindow()->isVisible());
    QVERIFY(m_window->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(m_simulator->receivedFrames().size(), 448);
    QCOMPARE(m_simulator->record(7, 64).minute, timeOfDay(schedule.ringTime(7, 64)).minute);
    QCOMPARE(m_simulator->record(3, 17).duration, int(schedule.ringDuration(3, 17)));
}

void DeviceButtonsInWindowTest::receiveOverSerial()
{
    // Serial port 3, pointed at the simulator's pseudo-terminal.
    RingerSettings settings;
    settings.PortNo = 3;
    QVERIFY(writeFile(settingsFilePath(m_dataDir.path()), settingsToBytes(settings)));
    QVERIFY(writeFile(QDir(m_dataDir.path()).filePath(QStringLiteral("SerialPorts.txt")),
                      QStringLiteral("3 = %1\n").arg(m_simulator->serialDevicePath()).toUtf8()));
    RingCalendar stored = patternedCalendar(5);
    stored.DeviceVersion = ModelV1;
    const QString calendarPath = calendarFilePath(m_dataDir.path());
    QVERIFY(writeFile(calendarPath, calendarToBytes(stored)));
    const QByteArray fileBefore = readFile(calendarPath);

    QByteArray memory(8192, '\0');
    memory[24] = 0x01; // Monday slot 1: used, 07:45, 3 s
    memory[25] = 0x07;
    memory[26] = 0x45;
    memory[27] = 0x03;
    memory[28 + 1] = 0x25; // Monday slot 2: 25:10 is no time, the old one stays
    memory[28 + 2] = 0x10;
    m_simulator->setModel(ModelV1);
    m_simulator->setMemory(memory);

    startWindow();
    QVERIFY(child<QRadioButton>(QStringLiteral("opsDeviceVersion_0"))->isChecked());
    child<QTabBar>(QStringLiteral("TabRingDays"))->setCurrentIndex(4); // Friday on show

    QTest::mouseClick(child<QPushButton>(QStringLiteral("cmdReceiveCalendar")), Qt::LeftButton);

    QCOMPARE(m_dialog.texts(), QStringList({OperationText::AskReceiveCalendar, OperationText::ReceiveSucceeded}));
    QCOMPARE(m_progressVisibleAtMessage.last(), true);
    QCOMPARE(m_simulator->receivedFrames().size(), 34);
    // The editor shows Monday from the received schedule.
    QCOMPARE(child<QTabBar>(QStringLiteral("TabRingDays"))->currentIndex(), 0);
    QVERIFY(child<QCheckBox>(QStringLiteral("chkTimeUsed_0"))->isChecked());
    QCOMPARE(child<QTimeEdit>(QStringLiteral("dtTime_0"))->time(), QTime(7, 45));
    QCOMPARE(child<QLineEdit>(QStringLiteral("txtRingTime_0"))->text(), QStringLiteral("3"));
    QCOMPARE(m_window->calendar().ringDuration(2, 1), qint16(0));
    QCOMPARE(hourMinuteText(m_window->calendar().ringTime(1, 2)), hourMinuteText(stored.ringTime(1, 2)));
    // Nothing is written until the operator saves.
    QCOMPARE(readFile(calendarPath), fileBefore);
    QVERIFY(m_window->isEnabled());
    QVERIFY(!progressWindow()->isVisible());
}

void DeviceButtonsInWindowTest::clockAndRelayButtons()
{
    startWindow();
    useTcp();
    // "V1" has no relay test: only the message, nothing sent.
    QTest::mouseClick(child<QPushButton>(QStringLiteral("cmdTest")), Qt::LeftButton);
    QCOMPARE(m_dialog.texts(), QStringList{OperationText::RelayTestNotOnV1});

    QTest::mouseClick(child<QRadioButton>(QStringLiteral("opsDeviceVersion_1")), Qt::LeftButton);
    m_simulator->setModel(ModelV2Times24);
    m_simulator->setClock(QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45)));
    QTest::mouseClick(child<QPushButton>(QStringLiteral("cmdReceiveClock")), Qt::LeftButton);
    QVERIFY2(child<QLabel>(QStringLiteral("lblRingerClock"))->text().startsWith(QStringLiteral("05/12/2026 01:23:4")),
             qPrintable(child<QLabel>(QStringLiteral("lblRingerClock"))->text()));
    QVERIFY(child<QLabel>(QStringLiteral("lblRingerClock"))->text().endsWith(QStringLiteral(", Cumartesi")));
    QVERIFY(child<QPushButton>(QStringLiteral("cmdReceiveClock"))->isEnabled());

    QTest::mouseClick(child<QPushButton>(QStringLiteral("cmdTest")), Qt::LeftButton);
    QCOMPARE(m_dialog.texts().last(), OperationText::RelayTestDone);
    QCOMPARE(m_simulator->lastRelaySeconds(), 3); // the label's "3"
    QVERIFY(child<QPushButton>(QStringLiteral("cmdTest"))->isEnabled());
    QVERIFY(m_window->isEnabled());
}

void DeviceButtonsInWindowTest::closeBoxRefusedThenCancelButton()
{
    startWindow();
    useTcp();
    QTest::mouseClick(child<QRadioButton>(QStringLiteral("opsDeviceVersion_4")), Qt::LeftButton);
    m_simulator->setModel(ModelV3IntervalTimer);
    // During record 20 the operator tries the close box, during record 40
    // the cancel button of the progress window.
    int frames = 0;
    bool stayedOpen = false;
    connect(m_simulator.get(), &ControllerSimulator::frameReceived, this, [&] {
        ++frames;
        QWidget *progress = progressWindow();
        if (frames == 20 && progress) {
            progress->close();
            stayedOpen = progress->isVisible();
        } else if (frames == 40 && progress) {
            QTest::mouseClick(progress->findChild<QPushButton *>(QStringLiteral("cmdCancel")), Qt::LeftButton);
        }
    });

    QTest::mouseClick(child<QPushButton>(QStringLiteral("cmdSendCalendar")), Qt::LeftButton);

    QVERIFY(stayedOpen);
    QCOMPARE(m_dialog.texts(), QStringList({OperationText::AskSendCalendar, OperationText::Cancelled}));
    QCOMPARE(m_progressVisibleAtMessage.last(), true);
    QCOMPARE(m_simulator->receivedFrames().size(), 40);
    QVERIFY(!progressWindow()->isVisible());
    QVERIFY(m_window->isEnabled());
}

QTEST_MAIN(DeviceButtonsInWindowTest)
#include "tst_DeviceButtonsInWindow.moc"
