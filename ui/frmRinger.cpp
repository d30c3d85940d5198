#include "ui/frmRinger.h"

#include "schedule/CalendarFile.h"
#include "ui/ComStatusWindow.h"
#include "ui/ModelShape.h"
#include "ui/OperatorDialog.h"
#include "ui/PcClockText.h"
#include "ui/PortListTips.h"
#include "ui/YearWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTimeEdit>
#include <QTimer>

namespace {
constexpr int WindowWidth = 670;
constexpr int WindowHeight = 703;
} // namespace

frmRinger::frmRinger(const QString &dataDirectory, OperatorDialog &dialog, QWidget *parent)
    : QWidget(parent), m_dataDirectory(dataDirectory), m_dialog(dialog),
      m_progressWindow(std::make_unique<ComStatusWindow>(m_operations.progress()))
{
    buildControls();
    Form_Load();
}

frmRinger::~frmRinger()
{
    // A window closed mid-operation must not leave the busy pointer behind.
    if (m_busyCursorShown)
        QApplication::restoreOverrideCursor();
}

void frmRinger::Form_Load()
{
    // The TCP socket belongs to the link, created when an operation opens it.
    lblRelayTest->setText(QStringLiteral("3"));
    lblPCClock->clear();
    lblRingerClock->clear();
    resize(WindowWidth, WindowHeight);

    for (int port = 1; port <= SerialPortCount; ++port)
        cmbPortNo->addItem(QString::number(port));
    setPortListTips(cmbPortNo, m_dataDirectory);

    LoadSettings(m_settings, settingsFilePath(m_dataDirectory));
    // Port 0 (none chosen) leaves the serial port on its previous number.
    if (m_settings.PortNo >= 1 && m_settings.PortNo <= SerialPortCount)
        m_serialPortNumber = m_settings.PortNo;
    cmbPortNo->setCurrentIndex(m_settings.PortNo - 1);

    for (int row = 0; row < SlotsPerDay; ++row) {
        dtTime[row]->setEnabled(false);
        txtRingTime[row]->setEnabled(false);
    }

    LoadCalendar(m_calendar, calendarFilePath(m_dataDirectory));
    SelectFirstDayTab();

    const std::optional<DeviceModel> stored = modelFromNumber(m_calendar.DeviceVersion);
    if (!stored)
        m_calendar.DeviceVersion = qint16(DeviceModel::V2Times24);
    opsDeviceVersion[size_t(stored.value_or(DeviceModel::V2Times24))]->setChecked(true);

    PCClock_Timer();
    FirstActivation = true;
}

void frmRinger::Form_Activate()
{
    if (!FirstActivation)
        return;
    TabRingDays->setFocus();
    TabRingDays->setCurrentIndex(1);
    TabRingDays->setCurrentIndex(0);
    opsDeviceVersion_Click(m_calendar.DeviceVersion);
    FirstActivation = false;
}

bool frmRinger::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    // A window shown without ever becoming active (no window manager, focus
    // kept elsewhere) still gets its first-activation shaping.
    if (event->type() == QEvent::Show && FirstActivation)
        QTimer::singleShot(0, this, &frmRinger::Form_Activate);
    return QWidget::event(event);
}

void frmRinger::PCClock_Timer()
{
    lblPCClock->setText(pcClockText(QDateTime::currentDateTime(), QLocale::system()));
}

void frmRinger::SelectFirstDayTab()
{
    if (TabRingDays->currentIndex() == 0)
        TabRingDays_Click();
    else
        TabRingDays->setCurrentIndex(0);
}

void frmRinger::cmdClose_Click()
{
    close();
}

void frmRinger::closeEvent(QCloseEvent *event)
{
    // Mid-operation the schedule may be half received and the link open:
    // nothing is stored and the window stays until the operation has ended.
    if (operationRunning()) {
        event->ignore();
        return;
    }
    // At the session's end nobody answers: what can be stored is, and the window goes.
    if (m_sessionEnded)
        storeFiles();
    else if (!Form_Unload()) {
        event->ignore();
        return;
    }
    event->accept();
    emit unloaded();
}

bool frmRinger::Form_Unload()
{
    storeSettings();
    if (storeCalendar())
        return true;
    return m_dialog.ask(QStringLiteral("Zil takvimi kaydedilmeden programdan çıkılsın mı?"), DialogButtons::YesNo) == DialogAnswer::Yes;
}

void frmRinger::storeFiles()
{
    storeSettings();
    storeCalendar();
}

bool frmRinger::storeCalendar()
{
    const QString path = calendarFilePath(m_dataDirectory);
    return toldUnlessStored(QStringLiteral("Zil takvimi dosyası kaydedilemedi"), path, SaveCalendar(m_calendar, path));
}

bool frmRinger::storeSettings()
{
    const QString path = settingsFilePath(m_dataDirectory);
    return toldUnlessStored(QStringLiteral("Ayar dosyası kaydedilemedi"), path, SaveSettings(m_settings, path));
}

// A save that failed is told with the file's name and the reason.
bool frmRinger::toldUnlessStored(const QString &what, const QString &path, const Result<> &saved)
{
    if (saved)
        return true;
    m_dialog.tell(QStringLiteral("%1:\r\n%2\r\n%3").arg(what, QDir::toNativeSeparators(path), saved.error()));
    return false;
}
