#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <chrono>

// The state behind the progress window of a schedule transfer: the running
// flag the cancel button clears, the direction the arrows run, the bar and
// the status line. The window only shows this object and forwards its
// button and close box here, so all of its rules are tested without widgets.
class TransferProgress : public QObject
{
    Q_OBJECT

public:
    // Running from open() until the cancel button or the end of the transfer.
    enum class State { Stopped, Running };
    enum class Direction {
        ToComputer,   // receive: arrows run leftwards
        ToController, // send: arrows run rightwards
    };
    static constexpr int ArrowCount = 6;
    static constexpr std::chrono::milliseconds TickInterval{200};

    enum class ArrowPicture { Outlined, PointingRight, PointingLeft };

    explicit TransferProgress(QObject *parent = nullptr);

    bool isLoaded() const { return m_loaded; }
    ArrowPicture arrowPicture() const { return m_picture; }
    bool arrowVisible(int index) const;
    int maximum() const { return m_maximum; }
    int value() const { return m_value; }
    QString statusText() const { return m_statusText; }

    // What a transfer does with the window, in this order.
    void open(Direction direction);
    void setStepCount(int steps);
    void setStatusText(const QString &text);
    void step();
    bool cancelled() const { return m_state == State::Stopped; }
    void resetBar();
    // Clears the running flag first, so the unload is never refused.
    void close();

    // Refused (false) while the transfer runs.
    bool unload();

    // A host that draws no arrows (zilctl) stops their clock: a transfer runs the
    // event loop hundreds of thousands of times, and a running timer is checked
    // on every pass.
    void stopArrowClock() { m_timer.stop(); }

    // Window events.
    void tick();         // every TickInterval while loaded
    void cancel();       // "İptal Et"
    bool requestClose(); // close box: false when refused

signals:
    void loaded();
    void unloaded();
    void arrowsChanged();
    void arrowPictureChanged();
    void barChanged();
    void statusTextChanged(const QString &text);

private:
    void setAllArrows(bool visible);

    State m_state = State::Stopped;
    Direction m_direction = Direction::ToController;
    int m_arrowIndex = 0;
    bool m_loaded = false;
    ArrowPicture m_picture = ArrowPicture::Outlined;
    std::array<bool, ArrowCount> m_arrowVisible{true, true, true, true, true, true};
    int m_maximum = 100;
    int m_value = 0;
    QString m_statusText;
    QTimer m_timer;
};
