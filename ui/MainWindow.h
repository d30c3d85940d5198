#pragma once

#include "link/BusyState.h"
#include "schedule/RingCalendar.h"
#include "schedule/SettingsFile.h"

#include <QString>
#include <QWidget>
#include <array>

class OperatorDialog;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabBar;
class QTimeEdit;
class QTimer;

// The program's main window: model choice, connection settings, the device
// clock, the relay test and the weekly schedule editor. It owns the one
// schedule record and the settings record, loads both at start-up and stores
// both when it closes.
class frmRinger : public QWidget, public BusyState
{
    Q_OBJECT
    friend class DeviceOperationsHost;

public:
    // dataDirectory holds "RingCalendar.dat" and "Ringer.ini".
    frmRinger(const QString &dataDirectory, OperatorDialog &dialog, QWidget *parent = nullptr);
    ~frmRinger() override;

    // Serial line settings for the model chosen ("9600,o,8,1" or
    // "38400,o,8,1") and the serial port number fixed at start-up; the link
    // reads both when an operation opens it.
    QString lineSettings() const { return m_lineSettings; }
    int serialPortNumber() const { return m_serialPortNumber; }

    qint16 selectedDeviceVersion() const { return SelectedDeviceVersion; }
    const RingerSettings &settings() const { return m_settings; }
    QString dataDirectory() const { return m_dataDirectory; }

    RingCalendar &calendar() { return m_calendar; }
    // Shows Monday from the record, also when Monday is already selected.
    void SelectFirstDayTab();

    // The one-time work of the first activation; later calls do nothing.
    void Form_Activate();

    void BeginBusy() override;
    void EndBusy() override;

signals:
    // The window has stored both files and closed: the program ends.
    void unloaded();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Building the controls (MainWindowLayout.cpp).
    void buildControls();
    QWidget *buildHeader();
    QGroupBox *buildModelFrame();
    QGroupBox *buildConnectionFrame();
    QGroupBox *buildClockFrame();
    QGroupBox *buildRelayTestFrame();
    QGroupBox *buildScheduleFrame();
    QWidget *buildRowColumn(int column);
    QWidget *buildScheduleButtons();
    void connectControls();

    // Start-up and exit (MainWindow.cpp).
    void Form_Load();
    bool Form_Unload();
    void PCClock_Timer();
    void cmdClose_Click();
    bool storeCalendar();
    bool storeSettings();

    // Model and connection (ConnectionSettings.cpp).
    void opsDeviceVersion_Click(int index);
    void shapeRowsForModel(int index);
    void chkTCPIPActive_Click();
    void cmbPortNo_Click();
    void cmdSave_Click();

    // Schedule editor (CalendarEditor.cpp).
    int selectedDay() const;
    double pickerValue(int row) const;
    void TabRingDays_Click();
    void chkTimeUsed_Click(int row);
    void txtRingTime_Change(int row);
    void dtTime_Change(int row);
    void cmdRefresh_Click();
    void cmdCopyFromMonday_Click();
    void cmdDeleteAll_Click();
    void cmdFactoryDefault_Click();

    // Device operations (DeviceHandlers.cpp).
    void cmdSendCalendar_Click();
    void cmdReceiveCalendar_Click();
    void cmdSendClock_Click();
    void cmdReceiveClock_Click();
    void cmdTest_Click();

    const QString m_dataDirectory;
    OperatorDialog &m_dialog;

    RingCalendar m_calendar;
    RingerSettings m_settings;
    QString m_lineSettings = QStringLiteral("9600,o,8,1");
    int m_serialPortNumber = 1; // the serial port's own default until start-up sets one

    qint16 SelectedDeviceVersion = 0;
    bool FirstActivation = false;
    bool LoadingDay = false;
    bool m_busyCursorShown = false;

    // Header.
    QWidget *Picture1 = nullptr;
    QWidget *PicZK = nullptr;
    QPushButton *cmdClose = nullptr;

    // "Cihaz Modeli".
    QGroupBox *Frame3 = nullptr;
    std::array<QRadioButton *, ModelCount> opsDeviceVersion{};
    QButtonGroup *modelButtons = nullptr;

    // "Bağlantı Ayarları".
    QGroupBox *Frame2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QComboBox *cmbPortNo = nullptr;
    QCheckBox *chkTCPIPActive = nullptr;
    QLineEdit *txtIP = nullptr;
    QLineEdit *txtPort = nullptr;

    // "Cihaz Saat Ayarı".
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *lblRingerClock = nullptr;
    QLabel *lblPCClock = nullptr;
    QPushButton *cmdSendClock = nullptr;
    QPushButton *cmdReceiveClock = nullptr;

    // "Röle Test".
    QGroupBox *Frame4 = nullptr;
    QPushButton *cmdTest = nullptr;
    QLabel *lblRelayTest = nullptr;
    QSpinBox *UpDown1 = nullptr;
    QLabel *Label9 = nullptr;

    // "Zil Takvimi Ayarları".
    QGroupBox *frWindows = nullptr;
    QTabBar *TabRingDays = nullptr;
    std::array<QCheckBox *, SlotsPerDay> chkTimeUsed{};
    std::array<QTimeEdit *, SlotsPerDay> dtTime{};
    std::array<QLineEdit *, SlotsPerDay> txtRingTime{};
    std::array<QLabel *, 8> lblStart{};
    std::array<QLabel *, 8> lblEnd{};
    QPushButton *cmdCopyFromMonday = nullptr;
    QPushButton *cmdFactoryDefault = nullptr;
    QPushButton *cmdDeleteAll = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdRefresh = nullptr;
    QPushButton *cmdSendCalendar = nullptr;
    QPushButton *cmdReceiveCalendar = nullptr;

    QTimer *PCClock = nullptr;
};
