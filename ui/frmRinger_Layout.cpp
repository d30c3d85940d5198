#include "ui/frmRinger.h"

#include "schedule/DayNames.h"
#include "ui/ModelShape.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTabBar>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int RowsPerColumn = 16;
constexpr int RowColumns = 4;
constexpr int RowHeight = 22;
constexpr int HeaderHeight = 53;
constexpr int FrameMargin = 4;
constexpr int CheckBoxWidth = 40;
constexpr int PickerWidth = 60;
constexpr int RingLengthWidth = 28;
constexpr int LogoWidth = 160;
constexpr int RelayTestInitialSeconds = 3;

const QString DefaultControllerAddress = QStringLiteral("192.168.1.100");

const QColor StartLabelColors[2] = {QColor(0, 0, 255), QColor(255, 0, 0)};

template<typename W>
W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QString indexed(const char *name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void keepPlaceWhenHidden(QWidget *widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QLabel *buddyLabel(const QString &name, const QString &text, QWidget *buddy)
{
    auto *label = named(new QLabel(text), name);
    label->setBuddy(buddy);
    return label;
}

// The logo scaled into the header, its proportions kept.
QPixmap logoPicture(const QSize &box)
{
    QSvgRenderer renderer(QStringLiteral(":/images/logo.svg"));
    QSize size = renderer.defaultSize();
    if (!renderer.isValid() || size.isEmpty())
        return {};
    size.scale(box, Qt::KeepAspectRatio);
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    return picture;
}

QGroupBox *frame(const QString &name, const QString &title)
{
    return named(new QGroupBox(title), name);
}
} // namespace

void frmRinger::buildControls()
{
    setObjectName(QStringLiteral("frmRinger"));
    setWindowTitle(QStringLiteral("ZK-480 Zil Sistemi Konfigürasyon V" ZIL_VERSION));

    auto *frames = new QHBoxLayout;
    frames->setSpacing(3);
    frames->addWidget(buildModelFrame());
    frames->addWidget(buildConnectionFrame(), 1);
    frames->addWidget(buildClockFrame(), 1);
    frames->addWidget(buildRelayTestFrame());

    auto *window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 4);
    window->setSpacing(4);
    window->addWidget(buildHeader());
    auto *body = new QVBoxLayout;
    body->setContentsMargins(5, 0, 5, 0);
    body->setSpacing(4);
    body->addLayout(frames);
    body->addWidget(buildScheduleFrame(), 1);
    window->addLayout(body, 1);

    PCClock = named(new QTimer(this), QStringLiteral("PCClock"));
    PCClock->setInterval(1000);

    connectControls();
    buildPageActions();
    buildYearActions();
    PCClock->start();
}

QWidget *frmRinger::buildHeader()
{
    header = named(new QWidget, QStringLiteral("Picture1"));
    header->setFixedHeight(HeaderHeight);
    header->setAutoFillBackground(true);
    QPalette palette = header->palette();
    palette.setColor(QPalette::Window, Qt::white);
    header->setPalette(palette);

    auto *logoLabel = named(new QLabel, QStringLiteral("PicZK"));
    logoLabel->setPixmap(logoPicture(QSize(LogoWidth, HeaderHeight - 8)));
    logoLabel->setAccessibleName(QStringLiteral("ZK-480"));
    logo = logoLabel;
    cmdClose = named(new QPushButton(QStringLiteral("Programı Kapat")), QStringLiteral("cmdClose"));

    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(logo);
    layout->addStretch(1);
    layout->addWidget(cmdClose);
    return header;
}

QGroupBox *frmRinger::buildModelFrame()
{
    modelFrame = frame(QStringLiteral("Frame3"), QStringLiteral("Cihaz Modeli"));
    modelButtons = new QButtonGroup(this);
    auto *layout = new QVBoxLayout(modelFrame);
    layout->setSpacing(1);
    layout->setContentsMargins(FrameMargin, 4, FrameMargin, 4);
    for (const ModelFacts &row : ModelTable::Rows) {
        const int id = int(row.model);
        auto *button = named(new QRadioButton(row.caption.toString()), indexed("opsDeviceVersion", id));
        opsDeviceVersion[size_t(id)] = button;
        modelButtons->addButton(button, id);
        layout->addWidget(button);
    }
    // As designed: the first model chosen and green.
    opsDeviceVersion[0]->setChecked(true);
    opsDeviceVersion[0]->setStyleSheet(SelectedModelStyle);
    layout->addStretch(1);
    return modelFrame;
}

QGroupBox *frmRinger::buildConnectionFrame()
{
    connectionFrame = frame(QStringLiteral("Frame2"), QStringLiteral("Bağlantı Ayarları"));

    cmbPortNo = named(new QComboBox, QStringLiteral("cmbPortNo"));
    chkTCPIPActive = named(new QCheckBox, QStringLiteral("chkTCPIPActive"));
    txtIP = named(new QLineEdit(DefaultControllerAddress), QStringLiteral("txtIP"));
    txtPort = named(new QLineEdit(QString::number(DefaultTcpPort)), QStringLiteral("txtPort"));
    txtIP->setEnabled(false);
    txtPort->setEnabled(false);
    cmbPortNo->setMaximumWidth(60);
    txtIP->setFixedWidth(100);
    txtPort->setFixedWidth(100);

    portLabel = buddyLabel(QStringLiteral("Label3"), QStringLiteral("Com Port:"), cmbPortNo);
    tcpActiveLabel = buddyLabel(QStringLiteral("Label6"), QStringLiteral("TCPIP Aktif:"), chkTCPIPActive);
    ipLabel = buddyLabel(QStringLiteral("Label7"), QStringLiteral("IP Adres:"), txtIP);
    tcpPortLabel = buddyLabel(QStringLiteral("Label8"), QStringLiteral("TCP Port:"), txtPort);

    auto *layout = new QGridLayout(connectionFrame);
    layout->setContentsMargins(FrameMargin, 4, FrameMargin, 4);
    layout->setVerticalSpacing(3);
    layout->addWidget(portLabel, 0, 0);
    layout->addWidget(cmbPortNo, 0, 1);
    layout->addWidget(tcpActiveLabel, 1, 0);
    layout->addWidget(chkTCPIPActive, 1, 1);
    layout->addWidget(ipLabel, 2, 0);
    layout->addWidget(txtIP, 2, 1);
    layout->addWidget(tcpPortLabel, 3, 0);
    layout->addWidget(txtPort, 3, 1);
    layout->setRowStretch(4, 1);
    return connectionFrame;
}

QGroupBox *frmRinger::buildClockFrame()
{
    clockFrame = frame(QStringLiteral("Frame1"), QStringLiteral("Cihaz Saat Ayarı"));
    ringerClockCaption = named(new QLabel(QStringLiteral("Cihaz Saati:")), QStringLiteral("Label1"));
    pcClockCaption = named(new QLabel(QStringLiteral("PC Saati:")), QStringLiteral("Label2"));
    lblRingerClock = named(new QLabel, QStringLiteral("lblRingerClock"));
    lblPCClock = named(new QLabel, QStringLiteral("lblPCClock"));
    for (QLabel *clock : {lblRingerClock, lblPCClock}) {
        clock->setFrameShape(QFrame::Panel);
        clock->setFrameShadow(QFrame::Sunken);
        clock->setMinimumHeight(20);
    }
    cmdSendClock = named(new QPushButton(QStringLiteral("Gönder")), QStringLiteral("cmdSendClock"));
    cmdReceiveClock = named(new QPushButton(QStringLiteral("Al")), QStringLiteral("cmdReceiveClock"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdSendClock);
    buttons->addWidget(cmdReceiveClock);

    auto *layout = new QVBoxLayout(clockFrame);
    layout->setContentsMargins(FrameMargin, 4, FrameMargin, 4);
    layout->setSpacing(2);
    layout->addWidget(ringerClockCaption);
    layout->addWidget(lblRingerClock);
    layout->addWidget(pcClockCaption);
    layout->addWidget(lblPCClock);
    layout->addStretch(1);
    layout->addLayout(buttons);
    return clockFrame;
}

QGroupBox *frmRinger::buildRelayTestFrame()
{
    relayTestFrame = frame(QStringLiteral("Frame4"), QStringLiteral("Röle Test"));
    cmdTest = named(new QPushButton(QStringLiteral("Şimdi Çaldır")), QStringLiteral("cmdTest"));
    lblRelayTest = named(new QLabel, QStringLiteral("lblRelayTest"));
    lblRelayTest->setFrameShape(QFrame::Panel);
    lblRelayTest->setFrameShadow(QFrame::Sunken);
    lblRelayTest->setAlignment(Qt::AlignCenter);
    lblRelayTest->setMinimumWidth(28);

    // Only the arrows of the spinner show; the label beside it holds the number.
    relaySecondsSpinner = named(new QSpinBox, QStringLiteral("UpDown1"));
    relaySecondsSpinner->setRange(ShortestRelayTest, LongestRelayTest);
    relaySecondsSpinner->setSingleStep(1);
    relaySecondsSpinner->setValue(RelayTestInitialSeconds);
    relaySecondsSpinner->setFixedWidth(18);
    relaySecondsSpinner->setAccessibleName(QStringLiteral("Röle test süresi"));
    secondsUnitLabel = named(new QLabel(QStringLiteral("sn")), QStringLiteral("Label9"));

    auto *seconds = new QHBoxLayout;
    seconds->setSpacing(2);
    seconds->addStretch(1);
    seconds->addWidget(lblRelayTest);
    seconds->addWidget(relaySecondsSpinner);
    seconds->addWidget(secondsUnitLabel);
    seconds->addStretch(1);

    auto *layout = new QVBoxLayout(relayTestFrame);
    layout->setContentsMargins(FrameMargin, 4, FrameMargin, 4);
    layout->addStretch(1);
    layout->addLayout(seconds);
    layout->addWidget(cmdTest);
    layout->addStretch(1);
    return relayTestFrame;
}

QGroupBox *frmRinger::buildScheduleFrame()
{
    frWindows = frame(QStringLiteral("frWindows"), QStringLiteral("Zil Takvimi Ayarları"));
    TabRingDays = named(new QTabBar, QStringLiteral("TabRingDays"));
    for (QStringView day : DayNames)
        TabRingDays->addTab(day.toString());
    TabRingDays->setExpanding(true);
    TabRingDays->setDrawBase(true);

    auto *columns = new QHBoxLayout;
    columns->setSpacing(10);
    for (int column = 0; column < RowColumns; ++column)
        columns->addWidget(buildRowColumn(column), column == 0 ? 0 : 1);

    auto *layout = new QVBoxLayout(frWindows);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(TabRingDays);
    layout->addLayout(columns);
    layout->addStretch(1);
    layout->addWidget(buildScheduleButtons());
    return frWindows;
}

QWidget *frmRinger::buildRowColumn(int column)
{
    auto *holder = new QWidget;
    auto *grid = new QGridLayout(holder);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(0);

    for (int line = 0; line < RowsPerColumn; ++line) {
        const int row = column * RowsPerColumn + line;
        const QString number = QString::number(row + 1);

        auto *used = named(new QCheckBox(number), indexed("chkTimeUsed", row));
        used->setAccessibleName(QStringLiteral("Zil %1 kullanımda").arg(number));
        auto *time = named(new QTimeEdit, indexed("dtTime", row));
        time->setDisplayFormat(QStringLiteral("HH:mm"));
        time->setAccessibleName(QStringLiteral("Zil %1 saati").arg(number));
        auto *length = named(new QLineEdit, indexed("txtRingTime", row));
        length->setAccessibleName(QStringLiteral("Zil %1 süresi").arg(number));
        used->setFixedWidth(CheckBoxWidth);
        time->setFixedWidth(PickerWidth);
        length->setFixedWidth(RingLengthWidth);

        for (QWidget *widget : {static_cast<QWidget *>(used), static_cast<QWidget *>(time), static_cast<QWidget *>(length)}) {
            keepPlaceWhenHidden(widget);
            widget->setFixedHeight(RowHeight - 1);
        }
        chkTimeUsed[row] = used;
        dtTime[row] = time;
        txtRingTime[row] = length;
        grid->setRowMinimumHeight(line, RowHeight);
        grid->addWidget(used, line, 1);
        grid->addWidget(time, line, 2);
        grid->addWidget(length, line, 3);
    }

    if (column == 0) {
        for (int pair = 0; pair < int(lblStart.size()); ++pair) {
            QPalette colour;
            colour.setColor(QPalette::WindowText, StartLabelColors[pair % 2]);
            lblStart[pair] = named(new QLabel(startLabelText(pair)), indexed("lblStart", pair));
            lblEnd[pair] = named(new QLabel(endLabelText(pair)), indexed("lblEnd", pair));
            for (QLabel *label : {lblStart[pair], lblEnd[pair]}) {
                label->setPalette(colour);
                label->setBuddy(label == lblStart[pair] ? dtTime[2 * pair] : dtTime[2 * pair + 1]);
            }
            grid->addWidget(lblStart[pair], 2 * pair, 0);
            grid->addWidget(lblEnd[pair], 2 * pair + 1, 0);
        }
    }
    grid->setColumnStretch(4, 1);
    return holder;
}

QWidget *frmRinger::buildScheduleButtons()
{
    auto *holder = new QWidget;
    // As narrow as the caption allows, so the seven fit the window's width.
    auto button = [](const char *name, const QString &caption) {
        auto *pushButton = named(new QPushButton(caption), QLatin1String(name));
        pushButton->setMinimumWidth(pushButton->fontMetrics().horizontalAdvance(caption) + 16);
        return pushButton;
    };
    cmdCopyFromMonday = button("cmdCopyFromMonday", QStringLiteral("Pazartesi'den Al"));
    cmdFactoryDefault = button("cmdFactoryDefault", QStringLiteral("Fabrika Ayarlarına Dön"));
    cmdDeleteAll = button("cmdDeleteAll", QStringLiteral("Tümünü Sil"));
    cmdSave = button("cmdSave", QStringLiteral("Kaydet"));
    cmdRefresh = button("cmdRefresh", QStringLiteral("Uygula"));
    cmdSendCalendar = button("cmdSendCalendar", QStringLiteral("Gönder"));
    cmdReceiveCalendar = button("cmdReceiveCalendar", QStringLiteral("Al"));
    keepPlaceWhenHidden(cmdCopyFromMonday);

    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (QPushButton *editorButton : {cmdCopyFromMonday, cmdFactoryDefault, cmdDeleteAll, cmdRefresh, cmdSave})
        layout->addWidget(editorButton);
    layout->addStretch(1);
    layout->addWidget(cmdSendCalendar);
    layout->addWidget(cmdReceiveCalendar);
    return holder;
}

void frmRinger::connectControls()
{
    connect(PCClock, &QTimer::timeout, this, &frmRinger::PCClock_Timer);
    connect(cmdClose, &QPushButton::clicked, this, &frmRinger::cmdClose_Click);

    // A program selection of another button runs the handler too.
    connect(modelButtons, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            opsDeviceVersion_Click(id);
    });
    connect(chkTCPIPActive, &QCheckBox::toggled, this, &frmRinger::chkTCPIPActive_Click);
    connect(cmbPortNo, &QComboBox::activated, this, &frmRinger::cmbPortNo_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmRinger::cmdSave_Click);

    connect(relaySecondsSpinner, &QSpinBox::valueChanged, this, [this](int seconds) { lblRelayTest->setText(QString::number(seconds)); });

    connect(TabRingDays, &QTabBar::currentChanged, this, &frmRinger::TabRingDays_Click);
    for (int row = 0; row < SlotsPerDay; ++row) {
        connect(chkTimeUsed[row], &QCheckBox::toggled, this, [this, row] { chkTimeUsed_Click(row); });
        connect(txtRingTime[row], &QLineEdit::textChanged, this, [this, row] { txtRingTime_Change(row); });
        connect(dtTime[row], &QTimeEdit::timeChanged, this, [this, row] { dtTime_Change(row); });
    }
    connect(cmdRefresh, &QPushButton::clicked, this, &frmRinger::cmdRefresh_Click);
    connect(cmdCopyFromMonday, &QPushButton::clicked, this, &frmRinger::cmdCopyFromMonday_Click);
    connect(cmdDeleteAll, &QPushButton::clicked, this, &frmRinger::cmdDeleteAll_Click);
    connect(cmdFactoryDefault, &QPushButton::clicked, this, &frmRinger::cmdFactoryDefault_Click);

    connect(cmdSendCalendar, &QPushButton::clicked, this, &frmRinger::cmdSendCalendar_Click);
    connect(cmdReceiveCalendar, &QPushButton::clicked, this, &frmRinger::cmdReceiveCalendar_Click);
    connect(cmdSendClock, &QPushButton::clicked, this, &frmRinger::cmdSendClock_Click);
    connect(cmdReceiveClock, &QPushButton::clicked, this, &frmRinger::cmdReceiveClock_Click);
    connect(cmdTest, &QPushButton::clicked, this, &frmRinger::cmdTest_Click);
}
