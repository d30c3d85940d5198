#include "ui/YearAccessible.h"

#include "ui/YearView.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace {

class YearDayCell final : public QAccessibleInterface
{
public:
    YearDayCell(YearView *view, int index) : m_view(view), m_index(index) { }

    bool isValid() const override { return m_view && m_index < m_view->plan().days.size(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return parent() ? parent()->window() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return isValid() && (t == QAccessible::Name || t == QAccessible::Description) ? m_view->dayText(m_index) : QString();
    }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect cell = m_view->cellRect(m_index);
        return {m_view->mapToGlobal(cell.topLeft()), cell.size()};
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invalid = !isValid();
        return state;
    }

private:
    QPointer<YearView> m_view;
    int m_index;
};

class YearViewInterface final : public QAccessibleWidget
{
public:
    explicit YearViewInterface(YearView *view) : QAccessibleWidget(view, QAccessible::Table) { }
    ~YearViewInterface() override
    {
        for (const QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return int(view()->plan().days.size()); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        auto found = m_cells.constFind(index);
        if (found == m_cells.constEnd())
            found = m_cells.insert(index, QAccessible::registerAccessibleInterface(new YearDayCell(view(), index)));
        return QAccessible::accessibleInterface(*found);
    }
    int indexOfChild(const QAccessibleInterface *cell) const override
    {
        for (auto it = m_cells.cbegin(); it != m_cells.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == cell)
                return it.key();
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override { return child(view()->dayAt(view()->mapFromGlobal(QPoint(x, y)))); }

private:
    YearView *view() const { return static_cast<YearView *>(widget()); }
    mutable QHash<int, QAccessible::Id> m_cells;
};

QAccessibleInterface *yearViewFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("YearView") && object && object->isWidgetType())
        return new YearViewInterface(static_cast<YearView *>(object));
    return nullptr;
}

} // namespace

void installYearAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(yearViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
