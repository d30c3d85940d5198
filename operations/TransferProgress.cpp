#include "operations/TransferProgress.h"

TransferProgress::TransferProgress(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(TickInterval);
    connect(&m_timer, &QTimer::timeout, this, &TransferProgress::tick);
}

bool TransferProgress::arrowVisible(int index) const
{
    return index >= 0 && index < ArrowCount && m_arrowVisible[size_t(index)];
}

void TransferProgress::open(Direction direction)
{
    m_state = State::Running;
    m_direction = direction;
    m_loaded = true;
    // Loading puts the lit arrow at the end the data leaves from.
    const bool toController = direction == Direction::ToController;
    m_arrowIndex = toController ? 0 : ArrowCount - 1;
    // Every opening starts from the first picture, whatever the last run left.
    m_arrowVisible.fill(true);
    m_picture = toController ? ArrowPicture::PointingRight : ArrowPicture::PointingLeft;
    m_timer.start();
    emit loaded();
    emit arrowPictureChanged();
    emit arrowsChanged();
}

void TransferProgress::setStepCount(int steps)
{
    m_maximum = qMax(0, steps);
    m_value = 0;
    emit barChanged();
}

void TransferProgress::setStatusText(const QString &text)
{
    m_statusText = text;
    emit statusTextChanged(text);
}

void TransferProgress::step()
{
    if (m_value < m_maximum)
        ++m_value;
    emit barChanged();
}

void TransferProgress::resetBar()
{
    m_value = 0;
    emit barChanged();
}

void TransferProgress::close()
{
    m_state = State::Stopped;
    unload();
}

bool TransferProgress::unload()
{
    if (m_state == State::Running)
        return false;
    if (m_loaded) {
        m_loaded = false;
        m_timer.stop();
        emit unloaded();
    }
    return true;
}

void TransferProgress::tick()
{
    if (m_state != State::Running) {
        setAllArrows(true);
        return;
    }
    m_arrowVisible.fill(false);
    m_arrowVisible[size_t(qBound(0, m_arrowIndex, ArrowCount - 1))] = true;
    if (m_direction == Direction::ToController)
        m_arrowIndex = m_arrowIndex < ArrowCount - 1 ? m_arrowIndex + 1 : 0;
    else
        m_arrowIndex = m_arrowIndex > 0 ? m_arrowIndex - 1 : ArrowCount - 1;
    emit arrowsChanged();
}

void TransferProgress::cancel()
{
    m_state = State::Stopped;
}

bool TransferProgress::requestClose()
{
    return unload();
}

void TransferProgress::setAllArrows(bool visible)
{
    m_arrowVisible.fill(visible);
    emit arrowsChanged();
}
