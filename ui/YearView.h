#pragma once

#include "site/YearPlan.h"

#include <QDate>
#include <QWidget>
#include <optional>

// The school year on one grid: a row a month from September to August, the
// days in columns lined up by weekday, each cell in its schedule's colour.
// It draws the plan it is given and keeps nothing else: the window asks the
// plan again after every edit. Dragging over days chooses a range.
class YearView : public QWidget
{
    Q_OBJECT

public:
    explicit YearView(QWidget *parent = nullptr);

    void setPlan(const YearPlan &plan, QDate today);
    const YearPlan &plan() const { return m_plan; }

    QColor dayColour(int index) const;
    // Date, schedule and the period that decided it: the tooltip, and what a
    // screen reader says for the cell.
    QString dayText(int index) const;
    QRect cellRect(int index) const;
    int dayAt(QPoint position) const; // -1: no day there

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void rangeChosen(QDate from, QDate to);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int monthColumn(QDate date) const;
    bool selected(int index) const;

    YearPlan m_plan;
    QDate m_today;
    std::optional<int> m_anchor, m_reach; // the range being dragged, as day indexes
};
