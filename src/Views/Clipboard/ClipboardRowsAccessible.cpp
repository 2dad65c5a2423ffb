#include "Views/Clipboard/ClipboardRowsAccessible.h"

#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Views/Clipboard/ClipboardListView.h"
#include "Views/Clipboard/ClipboardRowAccessible.h"

namespace {

QAccessibleInterface *makeInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("ClipboardListView"))
        return new ClipboardRowsAccessible(static_cast<ClipboardListView *>(object));
    return nullptr;
}

} // namespace

ClipboardRowsAccessible::ClipboardRowsAccessible(ClipboardListView *list)
    : QAccessibleWidget(list, QAccessible::List)
{
}

ClipboardRowsAccessible::~ClipboardRowsAccessible()
{
    for (const QAccessible::Id row : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(row);
}

void ClipboardRowsAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

ClipboardListView *ClipboardRowsAccessible::list() const
{
    return static_cast<ClipboardListView *>(widget());
}

int ClipboardRowsAccessible::childCount() const
{
    return list()->model()->rowCount();
}

QAccessibleInterface *ClipboardRowsAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (m_rows.size() > 2 * childCount() + 100) {
        // Rows of entries long gone are let go.
        for (auto known = m_rows.begin(); known != m_rows.end();) {
            if (list()->state().list().row(known.key()) >= 0) {
                ++known;
                continue;
            }
            QAccessible::deleteAccessibleInterface(known.value());
            known = m_rows.erase(known);
        }
    }
    const QUuid id = list()->state().list().item(index).id;
    if (const auto known = m_rows.constFind(id); known != m_rows.constEnd()) {
        if (QAccessibleInterface *row = QAccessible::accessibleInterface(*known))
            return row;
    }
    auto *row = new ClipboardRowAccessible(list(), id);
    m_rows.insert(id, QAccessible::registerAccessibleInterface(row));
    return row;
}

int ClipboardRowsAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (auto known = m_rows.constBegin(); known != m_rows.constEnd(); ++known) {
        if (QAccessible::accessibleInterface(known.value()) == child)
            return list()->state().list().row(known.key());
    }
    return -1;
}

QAccessibleInterface *ClipboardRowsAccessible::childAt(int x, int y) const
{
    const QModelIndex index = list()->indexAt(list()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
}
