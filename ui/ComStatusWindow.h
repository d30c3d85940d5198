#pragma once

#include <QDialog>
#include <array>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class TransferProgress;

// frmComStatus, "Haberleşme Durumu": the modeless window a schedule transfer
// shows while it runs. It only shows its TransferProgress and hands the
// cancel button and the close box to it; the rules live there.
class ComStatusWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 346;
    static constexpr int ClientHeight = 193;

    explicit ComStatusWindow(TransferProgress &progress, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void showArrows();
    void showArrowPicture();
    void showBar();
    void showStatus(const QString &text);

    TransferProgress &m_progress;
    QLabel *m_source = nullptr;         // ISource
    std::array<QLabel *, 6> m_arrows{}; // IArrows_0 .. IArrows_5
    QLabel *m_controller = nullptr;     // Image1
    QLabel *m_status = nullptr;         // lblStatus
    QProgressBar *m_bar = nullptr;      // PBar
    QFrame *m_separator = nullptr;      // Frame1
    QPushButton *m_cancel = nullptr;    // cmdCancel
};
