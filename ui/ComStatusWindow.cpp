#include "ui/ComStatusWindow.h"

#include "operations/TransferProgress.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>

namespace {

QPixmap picture(const QString &resource, const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    return pixmap;
}

QString arrowResource(TransferProgress::ArrowPicture picture)
{
    switch (picture) {
    case TransferProgress::ArrowPicture::PointingRight: return QStringLiteral(":/images/arrow_right.svg");
    case TransferProgress::ArrowPicture::PointingLeft: return QStringLiteral(":/images/arrow_left.svg");
    case TransferProgress::ArrowPicture::Outlined: break;
    }
    return QStringLiteral(":/images/arrow_outline.svg");
}

QFont windowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    return font;
}

} // namespace

ComStatusWindow::ComStatusWindow(TransferProgress &progress, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_progress(progress)
{
    setObjectName(QStringLiteral("frmComStatus"));
    setWindowTitle(QStringLiteral("Haberleşme Durumu"));
    setModal(false);
    setFixedSize(ClientWidth, ClientHeight);
    buildControls();

    connect(m_cancel, &QPushButton::clicked, &m_progress, &TransferProgress::cancel);
    connect(&m_progress, &TransferProgress::arrowsChanged, this, &ComStatusWindow::showArrows);
    connect(&m_progress, &TransferProgress::arrowPictureChanged, this, &ComStatusWindow::showArrowPicture);
    connect(&m_progress, &TransferProgress::barChanged, this, &ComStatusWindow::showBar);
    connect(&m_progress, &TransferProgress::statusTextChanged, this, &ComStatusWindow::showStatus);
    connect(&m_progress, &TransferProgress::unloaded, this, &QWidget::hide);

    showArrows();
    showArrowPicture();
    showBar();
    showStatus(m_progress.statusText());
}

void ComStatusWindow::buildControls()
{
    m_source = new QLabel(this);
    m_source->setObjectName(QStringLiteral("ISource"));
    m_source->setGeometry(QRect(6, 30, 39, 43));
    m_source->setPixmap(picture(QStringLiteral(":/images/computer.svg"), m_source->size()));

    for (int i = 0; i < TransferProgress::ArrowCount; ++i) {
        QLabel *arrow = new QLabel(this);
        arrow->setObjectName(QStringLiteral("IArrows_%1").arg(i));
        arrow->setGeometry(QRect(48 + 40 * i, 35, 32, 32));
        m_arrows[size_t(i)] = arrow;
    }

    m_controller = new QLabel(this);
    m_controller->setObjectName(QStringLiteral("Image1"));
    m_controller->setGeometry(QRect(280, 6, 62, 87));
    m_controller->setPixmap(picture(QStringLiteral(":/images/controller.svg"), m_controller->size()));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setGeometry(QRect(6, 105, 335, 17));
    m_status->setFont(windowFont());

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("PBar"));
    m_bar->setGeometry(QRect(4, 124, 337, 23));
    m_bar->setTextVisible(false);

    m_separator = new QFrame(this);
    m_separator->setObjectName(QStringLiteral("Frame1"));
    m_separator->setGeometry(QRect(3, 152, 343, 6));
    m_separator->setFrameShape(QFrame::HLine);
    m_separator->setFrameShadow(QFrame::Sunken);

    m_cancel = new QPushButton(QStringLiteral("İptal Et"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setGeometry(QRect(132, 162, 81, 25));
    m_cancel->setFont(windowFont());
    m_cancel->setAutoDefault(false);
}

void ComStatusWindow::closeEvent(QCloseEvent *event)
{
    // Refused while the transfer runs: "İptal Et" is the only way out.
    if (m_progress.requestClose())
        event->accept();
    else
        event->ignore();
}

void ComStatusWindow::reject()
{
    if (m_progress.requestClose())
        QDialog::reject();
}

void ComStatusWindow::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void ComStatusWindow::showArrows()
{
    for (int i = 0; i < TransferProgress::ArrowCount; ++i)
        m_arrows[size_t(i)]->setVisible(m_progress.arrowVisible(i));
}

void ComStatusWindow::showArrowPicture()
{
    const QString resource = arrowResource(m_progress.arrowPicture());
    for (QLabel *arrow : m_arrows)
        arrow->setPixmap(picture(resource, arrow->size()));
}

void ComStatusWindow::showBar()
{
    m_bar->setRange(0, qMax(0, m_progress.maximum()));
    m_bar->setValue(m_progress.value());
}

void ComStatusWindow::showStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setAccessibleName(text);
}
