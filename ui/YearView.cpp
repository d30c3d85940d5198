#include "ui/YearView.h"

#include "site/YearPageContent.h"
#include "ui/YearAccessible.h"
#include "ui/YearPalette.h"

#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {
constexpr int CellWidth = 24;
constexpr int CellHeight = 22;
constexpr int MonthLabelWidth = 104;
constexpr int HeaderHeight = 18;
constexpr int Columns = 37; // a month starting on Sunday runs into the sixth week's Tuesday
const QLocale Turkish(QLocale::Turkish, QLocale::Turkey);
} // namespace

YearView::YearView(QWidget *parent) : QWidget(parent)
{
    installYearAccessibility();
    setMouseTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Yıl"));
    setAccessibleDescription(QStringLiteral("Her gün, o gün çalınacak zil planının rengiyle"));
}

void YearView::setPlan(const YearPlan &plan, QDate today)
{
    m_plan = plan;
    m_today = today;
    m_anchor.reset();
    m_reach.reset();
    update();
}

QSize YearView::sizeHint() const
{
    return {MonthLabelWidth + Columns * CellWidth + 1, HeaderHeight + 12 * CellHeight + 1};
}

int YearView::monthColumn(QDate date) const
{
    return QDate(date.year(), date.month(), 1).dayOfWeek() - 1 + date.day() - 1;
}

QRect YearView::cellRect(int index) const
{
    if (index < 0 || index >= m_plan.days.size())
        return {};
    const QDate date = m_plan.days[index].date;
    const int row = (date.year() - m_plan.first.year()) * 12 + date.month() - m_plan.first.month();
    return {MonthLabelWidth + monthColumn(date) * CellWidth, HeaderHeight + row * CellHeight, CellWidth, CellHeight};
}

int YearView::dayAt(QPoint position) const
{
    const int row = (position.y() - HeaderHeight) / CellHeight;
    const int column = (position.x() - MonthLabelWidth) / CellWidth;
    if (position.x() < MonthLabelWidth || position.y() < HeaderHeight || row >= 12 || column >= Columns || m_plan.days.isEmpty())
        return -1;
    const QDate month = m_plan.first.addMonths(row);
    const int day = column - (month.dayOfWeek() - 1) + 1;
    if (day < 1 || day > month.daysInMonth())
        return -1;
    return int(m_plan.first.daysTo(QDate(month.year(), month.month(), day)));
}

QColor YearView::dayColour(int index) const
{
    const YearDay &day = m_plan.days[index];
    return day.differs ? DiffersColour : scheduleColour(m_plan.schedules, day.schedule);
}

QString YearView::dayText(int index) const
{
    if (index < 0 || index >= m_plan.days.size())
        return {};
    const YearDay &day = m_plan.days[index];
    const QString what = day.differs ? QStringLiteral("cihazlar farklı") : scheduleCaption(day.schedule);
    const QString why = day.period.isEmpty() ? QStringLiteral("cihazın kendi planı") : day.period;
    QString text = QStringLiteral("%1: %2 (%3)").arg(Turkish.toString(day.date, QStringLiteral("d MMMM yyyy dddd")), what, why);
    if (day.date == m_today)
        text += QStringLiteral(", bugün");
    return text;
}

bool YearView::selected(int index) const
{
    return m_anchor && m_reach && index >= std::min(*m_anchor, *m_reach) && index <= std::max(*m_anchor, *m_reach);
}

void YearView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    painter.setPen(palette().text().color());
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    painter.setFont(small);
    QFont weekend = small;
    weekend.setBold(true); // the weekend's columns stand out, the cells keep their schedule's colour
    for (int column = 0; column < Columns; ++column) {
        const QRect header(MonthLabelWidth + column * CellWidth, 0, CellWidth, HeaderHeight);
        painter.setFont(column % 7 >= 5 ? weekend : small);
        painter.drawText(header, Qt::AlignCenter, Turkish.dayName(column % 7 + 1, QLocale::ShortFormat));
    }
    painter.setFont(small);
    for (int row = 0; row < 12 && m_plan.first.isValid(); ++row) {
        const QDate month = m_plan.first.addMonths(row);
        const QRect label(4, HeaderHeight + row * CellHeight, MonthLabelWidth - 8, CellHeight);
        painter.drawText(label, Qt::AlignVCenter | Qt::AlignLeft,
                         Turkish.standaloneMonthName(month.month()) + u' ' + QString::number(month.year()));
    }
    for (int index = 0; index < m_plan.days.size(); ++index) {
        const QRect cell = cellRect(index).adjusted(1, 1, -1, -1);
        const YearDay &day = m_plan.days[index];
        painter.fillRect(cell, dayColour(index));
        if (day.differs)
            painter.fillRect(cell, QBrush(Qt::darkGray, Qt::BDiagPattern));
        if (selected(index))
            painter.fillRect(cell, QColor(0x30, 0x60, 0xD0, 110));
        painter.setPen(Qt::black);
        painter.drawText(cell, Qt::AlignCenter, QString::number(day.date.day()));
        if (day.date == m_today) {
            painter.setPen(QPen(TodayColour, 2));
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
        }
    }
}

bool YearView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int index = dayAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), dayText(index), this, cellRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void YearView::mousePressEvent(QMouseEvent *event)
{
    const int index = dayAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || index < 0)
        return QWidget::mousePressEvent(event);
    m_anchor = m_reach = index;
    update();
}

void YearView::mouseMoveEvent(QMouseEvent *event)
{
    const int index = dayAt(event->position().toPoint());
    if (!m_anchor || index < 0 || index == m_reach)
        return;
    m_reach = index;
    update();
}

void YearView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_anchor || !m_reach)
        return;
    const int first = std::min(*m_anchor, *m_reach), last = std::max(*m_anchor, *m_reach);
    emit rangeChosen(m_plan.days[first].date, m_plan.days[last].date);
}
