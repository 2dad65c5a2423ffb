#include "Components/Controls/TabChain.h"

#include <QWidget>

namespace TabChain {

void insertAt(const QWidget *place, const QList<QWidget *> &widgets)
{
    // Qt links a widget only after one that takes focus, and after a compound widget's last part.
    QWidget *before = nullptr;
    const QWidget *window = place->window();
    for (QWidget *w = place->previousInFocusChain(); w && w != place && w != window; w = w->previousInFocusChain()) {
        if (w->focusPolicy() != Qt::NoFocus && !w->focusProxy() && !place->isAncestorOf(w)) {
            before = w;
            break;
        }
    }
    for (QWidget *widget : widgets) {
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (before)
            QWidget::setTabOrder(before, widget);
        before = widget;
    }
}

void focusBefore(const QWidget *place)
{
    const QWidget *window = place->window();
    for (QWidget *w = place->previousInFocusChain(); w && w != place && w != window; w = w->previousInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isVisible() && w->isEnabled()
            && !place->isAncestorOf(w)) {
            w->setFocus(Qt::BacktabFocusReason);
            return;
        }
    }
}

} // namespace TabChain
