#pragma once

#include "link/SerialPortMap.h"
#include "site/SiteModel.h"

#include <QDate>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class OperatorDialog;
class PeriodDialog;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class SiteRun;
class YearView;

// "Yıllık Zil Planı": the site's school year in one window. The year in
// colours, the periods and their edits, the controllers with a status or an
// apply run in child processes, and what the last nightly run did. It holds
// the site as read from its file and reads it again after every edit.
class YearWindow : public QWidget
{
    Q_OBJECT

public:
    explicit YearWindow(OperatorDialog &dialog, QWidget *parent = nullptr);
    ~YearWindow() override;

    // Reads the site file; a file with problems is named with every problem
    // and nothing else changes. True when the site is shown.
    bool openSite(const QString &path);
    const Site *site() const { return m_site ? &*m_site : nullptr; }
    // The plan's today: the year shown first, the marked day, today's schedule.
    QDate today() const { return m_today; }
    void setToday(QDate today);
    // Serial port numbers of the site file name the devices the main window's
    // port list gives them, so one link written two ways is seen as one.
    void setSerialPortMap(const SerialPortMap &ports) { m_serialPorts = ports; }
    // zilctl, which works each controller in a child process.
    void setChildProgram(const QString &program) { m_childProgram = program; }
    // Runs the period dialog: modal by default, filled in by tests.
    void setPeriodDialogRunner(std::function<bool(PeriodDialog &)> run) { m_runPeriodDialog = std::move(run); }
    bool runRunning() const;

    // Where the nightly service leaves its report; ZILSISTEMI_NIGHTLY_REPORT overrides it.
    static QString nightlyReportPath();

signals:
    void siteOpened(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Building and the year (YearWindow.cpp).
    void buildControls();
    QWidget *buildYearPart();
    QWidget *buildPeriodsPart();
    QWidget *buildControllersPart();
    bool reloadSite();
    void fillChoosers();
    void showYear();
    void showLegend();
    void cmdOpen_Click();
    void actPrint_Click();

    // The periods (YearWindow_Periods.cpp).
    void showPeriods();
    int selectedPeriod() const;
    int editablePeriod() const;
    // Dates dragged over in the year fill the dialog; today otherwise.
    void cmdAddPeriod_Click(QDate from = {}, QDate to = {});
    void cmdChangePeriod_Click();
    void cmdRemovePeriod_Click();
    bool saved(const QString &refused, const QString &reason);

    // The controllers, their runs and the nightly report (YearWindow_Run.cpp).
    void showControllers();
    void showLastRun();
    void startRun(bool apply);
    void controllerFinished(int index);
    void runFinished();
    void cmdCancelRun_Click();

    OperatorDialog &m_dialog;
    std::optional<Site> m_site;
    QDate m_today = QDate::currentDate();
    SerialPortMap m_serialPorts;
    QString m_childProgram;
    std::function<bool(PeriodDialog &)> m_runPeriodDialog;
    std::unique_ptr<SiteRun> m_run;
    QList<int> m_runRows; // the table's row of each controller in the run

public:
    // The controls, by their objectName too.
    QLabel *lblSite = nullptr;
    QPushButton *cmdOpen = nullptr;
    QComboBox *cmbYear = nullptr;
    QComboBox *cmbController = nullptr;
    QPushButton *cmdPrint = nullptr;
    YearView *yearView = nullptr;
    QWidget *frLegend = nullptr;
    QTreeWidget *lstPeriods = nullptr;
    QPushButton *cmdAddPeriod = nullptr;
    QPushButton *cmdChangePeriod = nullptr;
    QPushButton *cmdRemovePeriod = nullptr;
    QTableWidget *tblControllers = nullptr;
    QPushButton *cmdReadStatus = nullptr;
    QPushButton *cmdApplyPlan = nullptr;
    QCheckBox *chkSetClocks = nullptr;
    QPushButton *cmdCancelRun = nullptr;
    QLabel *lblLastRun = nullptr;
};
