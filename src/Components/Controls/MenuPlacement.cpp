#include "Components/Controls/MenuPlacement.h"

#include <QAction>
#include <QMenu>
#include <QScreen>
#include <QWidget>

namespace {

// Between the control and the menu.
constexpr int gap = 2;

} // namespace

namespace MenuPlacement {

QPoint beside(const QRect &anchor, const QSize &menu, const QRect &screen)
{
    int y = anchor.bottom() + 1 + gap;
    const bool roomBelow = y + menu.height() <= screen.bottom() + 1;
    const bool roomAbove = anchor.top() - gap - menu.height() >= screen.top();
    // Below when it fits there; above when only that side fits; otherwise the side with more room,
    // pushed back onto the screen.
    if (!roomBelow && (roomAbove || anchor.top() - screen.top() > screen.bottom() - anchor.bottom()))
        y = anchor.top() - gap - menu.height();
    y = qMax(screen.top(), qMin(y, screen.bottom() + 1 - menu.height()));
    const int x = qMax(screen.left(), qMin(anchor.left(), screen.right() + 1 - menu.width()));
    return { x, y };
}

void popUp(QMenu *menu, const QWidget *anchor, bool fromKeyboard)
{
    const QRect at(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    const QScreen *screen = anchor->screen();
    const QRect free = screen ? screen->availableGeometry() : at;
    menu->ensurePolished();
    menu->popup(beside(at, menu->sizeHint(), free));
    if (!fromKeyboard)
        return;
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        if (action->isVisible() && action->isEnabled() && !action->isSeparator()) {
            menu->setActiveAction(action);
            break;
        }
    }
}

} // namespace MenuPlacement
