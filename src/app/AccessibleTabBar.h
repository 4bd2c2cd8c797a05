#pragma once

#include <QAccessibleWidget>
#include <QList>

class QTabBar;

// A tab bar as assistive technology sees it: one page tab per tab, named by its caption, the
// current one selected, and focused only while the tab bar has the focus (Qt's own interface
// reports the current tab focused at all times, even while the tab bar is hidden and another
// control has the focus). The tab bar's own children follow the tabs.
class AccessibleTabBar : public QAccessibleWidget
{
public:
    explicit AccessibleTabBar(QTabBar *tabBar);
    ~AccessibleTabBar() override;

    // A factory for QAccessible::installFactory: this interface for every QTabBar.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *focusChild() const override;

private:
    QTabBar *tabBar() const;

    // The interfaces of the tabs made so far, by tab index, kept in Qt's accessibility cache.
    mutable QList<QAccessible::Id> m_tabs;
};
