#include "Views/Clipboard/ClipboardRowAccessible.h"

#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardRowText.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Views/Clipboard/ClipboardListView.h"

#include <QWidget>
#include <QWindow>

ClipboardRowAccessible::ClipboardRowAccessible(ClipboardListView *list, const QUuid &id)
    : m_list(list)
    , m_id(id)
{
}

QString ClipboardRowAccessible::previewAction()
{
    return QStringLiteral("Preview");
}

QString ClipboardRowAccessible::deleteAction()
{
    return QStringLiteral("Delete");
}

int ClipboardRowAccessible::row() const
{
    return m_list ? m_list->state().list().row(m_id) : -1;
}

bool ClipboardRowAccessible::isValid() const
{
    return row() >= 0;
}

QWindow *ClipboardRowAccessible::window() const
{
    return m_list ? m_list->window()->windowHandle() : nullptr;
}

QAccessibleInterface *ClipboardRowAccessible::parent() const
{
    return m_list ? QAccessible::queryAccessibleInterface(m_list) : nullptr;
}

QString ClipboardRowAccessible::text(QAccessible::Text type) const
{
    const int at = row();
    if (at < 0)
        return {};
    switch (type) {
    case QAccessible::Name:
        return ClipboardRowText::accessibleLabel(m_list->state().list().item(at));
    case QAccessible::Description:
        return QStringLiteral("Copies it again");
    default:
        return {};
    }
}

QRect ClipboardRowAccessible::rect() const
{
    const int at = row();
    if (at < 0)
        return {};
    const QRect shown = m_list->visualRect(m_list->model()->index(at, 0));
    return { m_list->viewport()->mapToGlobal(shown.topLeft()), shown.size() };
}

QAccessible::State ClipboardRowAccessible::state() const
{
    QAccessible::State state;
    const int at = row();
    if (at < 0) {
        state.invalid = true;
        return state;
    }
    state.selectable = true;
    state.selected = m_list->state().selection() == m_id;
    state.offscreen = !m_list->viewport()->rect().intersects(m_list->visualRect(m_list->model()->index(at, 0)));
    return state;
}

void *ClipboardRowAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList ClipboardRowAccessible::actionNames() const
{
    return { pressAction(), previewAction(), deleteAction() };
}

void ClipboardRowAccessible::doAction(const QString &actionName)
{
    const int at = row();
    if (at < 0)
        return;
    ClipboardTabState &state = m_list->state();
    const ClipboardItem item = state.list().item(at);
    if (actionName == pressAction())
        state.copy(item, false);
    else if (actionName == previewAction())
        state.preview(item);
    else if (actionName == deleteAction())
        state.deleteFromList(item);
}
