#pragma once

#include "link/LinkSettings.h"
#include "link/WholeSecondClock.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationHost.h"
#include "print/WeekPage.h"
#include "schedule/RingCalendar.h"
#include "schedule/SettingsFile.h"
#include "ui/PageDialogs.h"

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class ComStatusWindow;
class OperatorDialog;
class QAction;
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
class YearWindow;

// The program's main window: model choice, connection settings, the device
// clock, the relay test and the weekly schedule editor. It owns the one
// schedule record and the settings record, loads both at start-up and stores
// both when it closes. It is the device operations' host: it asks and
// tells the operator, shows the progress window and holds the busy state.
class frmRinger : public QWidget, private OperationHost
{
    Q_OBJECT

public:
    // dataDirectory holds "RingCalendar.dat" and "Ringer.ini".
    frmRinger(const QString &dataDirectory, OperatorDialog &dialog, QWidget *parent = nullptr);
    ~frmRinger() override;

    // The model whose button is checked.
    DeviceModel selectedModel() const;

    RingCalendar &calendar() { return m_calendar; }
    // Shows Monday from the record, also when Monday is already selected.
    void SelectFirstDayTab();

    // The one-time work of the first activation; later calls do nothing.
    void Form_Activate();

    // The transport, address, port and serial line the controls choose now.
    LinkSettings linkSettings() const;
    // The progress window, created with the window and shown by transfers.
    ComStatusWindow &progressWindow() const { return *m_progressWindow; }
    // True while a device operation runs; the window refuses to close then.
    bool operationRunning() const { return m_operationRunning; }
    // The file dialog and the print preview; the window's own by default.
    void setPageDialogs(PageDialogs &dialogs) { m_pageDialogs = &dialogs; }

    // The session ends (a signal): both files are stored at once, as the
    // close box stores them; every open box and dialog closes with its
    // cautious answer ("Hayır", "Tamam", cancel); a running transfer is
    // cancelled as "İptal Et" does; the window closes once nothing runs.
    void endSession();
    // The session manager asks for the data: both files are stored as the
    // close box stores them, and the program goes on.
    void storeFiles();

    // "Yıllık Zil Planı" over the site file at `path`; false when the file
    // is no site (the operator was told why).
    bool openYearWindow(const QString &path);
    // As "Yıllık plan…": the site open, else the one opened last, else one asked for.
    void showYearPlan() { actYearPlan_Click(); }
    // The year window, made when first asked for.
    YearWindow &yearWindow();
    // Asks for a site file to open (saving: to create); empty when cancelled.
    using SiteFileQuestion = std::function<QString(bool saving, const QString &suggested)>;
    void setSiteFileQuestion(SiteFileQuestion ask) { m_askSiteFile = std::move(ask); }

signals:
    // The window has stored both files and closed: the program ends.
    void unloaded();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Building the controls (frmRinger_Layout.cpp).
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

    // Start-up and exit (frmRinger.cpp).
    void Form_Load();
    bool Form_Unload();
    void PCClock_Timer();
    void cmdClose_Click();
    bool storeCalendar();
    bool storeSettings();
    bool toldUnlessStored(const QString &what, const QString &path, const Result<> &saved);

    // Model and connection (frmRinger_Settings.cpp).
    void opsDeviceVersion_Click(int index);
    void shapeRowsForModel(DeviceModel model);
    void chkTCPIPActive_Click();
    void cmbPortNo_Click();
    void cmdSave_Click();

    // Schedule editor (frmRinger_Editor.cpp).
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
    void replaceWholeSchedule(const QString &question, const std::function<void()> &command);

    // Device operations (frmRinger_Device.cpp).
    // Marks a device operation as running for its scope; at its end, a
    // session end that came meanwhile closes the window.
    class RunningOperation
    {
    public:
        explicit RunningOperation(frmRinger &window);
        ~RunningOperation();
        RunningOperation(const RunningOperation &) = delete;
        RunningOperation &operator=(const RunningOperation &) = delete;

    private:
        frmRinger &m_window;
    };
    // Runs a clock or relay-test operation; its button is off while the
    // link is open and has the focus after the controller was asked.
    void runOnButton(QPushButton *button, const std::function<OperationResult()> &operation);
    void cmdSendCalendar_Click();
    void cmdReceiveCalendar_Click();
    void cmdSendClock_Click();
    void cmdReceiveClock_Click();
    void cmdTest_Click();

    // The week on one page (frmRinger_Print.cpp).
    void buildPageActions();
    WeekPageHeading pageHeading() const;
    void actPrint_Click();
    void actSavePdf_Click();

    // The site's year (frmRinger_Year.cpp).
    void buildYearActions();
    void actYearPlan_Click();
    void actNewPlan_Click();
    // The window's link as a site file writes it: `tcp = "HOST:PORT"`, `serial = N`.
    QString siteLinkLine() const;
    // With a site open and this link among its controllers: a week that
    // differs from the plan's is sent only when the operator says so.
    bool sendAgreesWithPlan();

    // OperationHost.
    bool confirm(const QString &question) override;
    void tell(const QString &text) override;
    void BeginBusy() override;
    void EndBusy() override;
    void showProgress(TransferProgress &progress) override;
    void scheduleReceived() override;

    const QString m_dataDirectory;
    OperatorDialog &m_dialog;
    QtPageDialogs m_qtPageDialogs;
    PageDialogs *m_pageDialogs = &m_qtPageDialogs;
    SystemWholeSecondClock m_clock;
    DeviceOperations m_operations{*this, m_clock};
    std::unique_ptr<ComStatusWindow> m_progressWindow;
    QPushButton *m_operationButton = nullptr; // the clock or relay-test button that runs
    bool m_operationRunning = false;
    bool m_closeWhenIdle = false; // the session ended while an operation ran
    bool m_sessionEnded = false;  // the window closes without asking

    RingCalendar m_calendar;
    RingerSettings m_settings;
    int m_serialPortNumber = 1; // the serial port's own default until start-up sets one

    bool FirstActivation = false;
    bool LoadingDay = false;
    bool m_busyCursorShown = false;

    // Header.
    QWidget *header = nullptr;
    QWidget *logo = nullptr;
    QPushButton *cmdClose = nullptr;

    // "Cihaz Modeli".
    QGroupBox *modelFrame = nullptr;
    std::array<QRadioButton *, ModelCount> opsDeviceVersion{};
    QButtonGroup *modelButtons = nullptr;

    // "Bağlantı Ayarları".
    QGroupBox *connectionFrame = nullptr;
    QLabel *portLabel = nullptr;
    QLabel *tcpActiveLabel = nullptr;
    QLabel *ipLabel = nullptr;
    QLabel *tcpPortLabel = nullptr;
    QComboBox *cmbPortNo = nullptr;
    QCheckBox *chkTCPIPActive = nullptr;
    QLineEdit *txtIP = nullptr;
    QLineEdit *txtPort = nullptr;

    // "Cihaz Saat Ayarı".
    QGroupBox *clockFrame = nullptr;
    QLabel *ringerClockCaption = nullptr;
    QLabel *pcClockCaption = nullptr;
    QLabel *lblRingerClock = nullptr;
    QLabel *lblPCClock = nullptr;
    QPushButton *cmdSendClock = nullptr;
    QPushButton *cmdReceiveClock = nullptr;

    // "Röle Test".
    QGroupBox *relayTestFrame = nullptr;
    QPushButton *cmdTest = nullptr;
    QLabel *lblRelayTest = nullptr;
    QSpinBox *relaySecondsSpinner = nullptr;
    QLabel *secondsUnitLabel = nullptr;

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
    QAction *actPrint = nullptr;   // "Yazdır…", Ctrl+P
    QAction *actSavePdf = nullptr; // "PDF olarak kaydet…"

    QAction *actYearPlan = nullptr; // "Yıllık plan…", Ctrl+Y
    QAction *actNewPlan = nullptr;  // "Yeni plan…"
    std::unique_ptr<YearWindow> m_yearWindow;
    SiteFileQuestion m_askSiteFile;

    QTimer *PCClock = nullptr;
};
