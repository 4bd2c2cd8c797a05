#include "AccessibleTabBar.h"

#include <QPointer>
#include <QRegularExpression>
#include <QTabBar>

namespace {

// A tab's name: the name given for assistive technology, else its caption without the mnemonic
// marks.
QString tabName(const QTabBar &bar, int index)
{
    static const QRegularExpression kMnemonic(QStringLiteral("&(?!&)"));
    const QString name = bar.accessibleTabName(index);
    return name.isEmpty() ? bar.tabText(index).remove(kMnemonic) : name;
}

// One tab of a tab bar; pressing it makes it the current tab.
class AccessibleTab : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    AccessibleTab(QTabBar *bar, int index)
        : m_bar(bar)
        , m_index(index)
    {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }
    bool isValid() const override { return m_bar && m_index < m_bar->count(); }
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_bar.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name)
            return tabName(*m_bar, m_index);
        if (t == QAccessible::Description)
            return m_bar->tabToolTip(m_index);
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect tab = m_bar->tabRect(m_index);
        return QRect(m_bar->mapToGlobal(tab.topLeft()), tab.size());
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state = parent()->state();
        const bool current = m_index == m_bar->currentIndex();
        state.selectable = true;
        state.selected = current;
        state.focused = current && m_bar->hasFocus();
        state.invisible = state.invisible || !m_bar->isTabVisible(m_index);
        state.disabled = state.disabled || !m_bar->isTabEnabled(m_index);
        return state;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &action) override
    {
        if (isValid() && action == pressAction())
            m_bar->setCurrentIndex(m_index);
    }

private:
    QPointer<QTabBar> m_bar;
    int m_index;
};

} // namespace

AccessibleTabBar::AccessibleTabBar(QTabBar *tabBar)
    : QAccessibleWidget(tabBar, QAccessible::PageTabList)
{}

AccessibleTabBar::~AccessibleTabBar()
{
    for (const QAccessible::Id id : std::as_const(m_tabs))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *AccessibleTabBar::create(const QString &className, QObject *object)
{
    if (className == QLatin1String("QTabBar") && object != nullptr && object->isWidgetType())
        return new AccessibleTabBar(static_cast<QTabBar *>(object));
    return nullptr;
}

QTabBar *AccessibleTabBar::tabBar() const
{
    return static_cast<QTabBar *>(object());
}

QString AccessibleTabBar::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && tabBar()->currentIndex() >= 0)
        return tabName(*tabBar(), tabBar()->currentIndex());
    return QAccessibleWidget::text(t);
}

int AccessibleTabBar::childCount() const
{
    return tabBar()->count() + QAccessibleWidget::childCount();
}

QAccessibleInterface *AccessibleTabBar::child(int index) const
{
    const int tabs = tabBar()->count();
    if (index < 0)
        return nullptr;
    if (index >= tabs)
        return QAccessibleWidget::child(index - tabs);
    while (m_tabs.size() <= index) {
        const int tab = int(m_tabs.size());
        m_tabs.append(QAccessible::registerAccessibleInterface(new AccessibleTab(tabBar(), tab)));
    }
    return QAccessible::accessibleInterface(m_tabs.at(index));
}

int AccessibleTabBar::indexOfChild(const QAccessibleInterface *child) const
{
    for (int i = 0; i < m_tabs.size(); ++i) {
        if (QAccessible::accessibleInterface(m_tabs.at(i)) == child)
            return i;
    }
    const int other = QAccessibleWidget::indexOfChild(child);
    return other < 0 ? -1 : tabBar()->count() + other;
}

QAccessibleInterface *AccessibleTabBar::focusChild() const
{
    if (tabBar()->hasFocus())
        return child(tabBar()->currentIndex());
    return QAccessibleWidget::focusChild();
}
