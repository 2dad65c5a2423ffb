#include "Components/Controls/OverflowArea.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QScrollBar>
#include <QShowEvent>

namespace {

// Room kept between a focused control and the edge it was scrolled to.
constexpr int focusMargin = 8;

} // namespace

OverflowArea::OverflowArea(QWidget *content, QWidget *parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setWidgetResizable(true);
    setWidget(content);
    // After setWidget, which turns the filling on: what lies behind shows through.
    viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { keepInView(now); });
}

QSize OverflowArea::sizeHint() const
{
    const QWidget *content = widget();
    if (!content)
        return {};
    QSize size = content->sizeHint().expandedTo(content->minimumSizeHint());
    if (content->hasHeightForWidth()) {
        const int width = content->testAttribute(Qt::WA_Resized) ? content->width() : size.width();
        size.setHeight(qMax(content->heightForWidth(width), content->minimumSizeHint().height()));
    }
    return size;
}

QSize OverflowArea::minimumSizeHint() const
{
    const QWidget *content = widget();
    if (!content)
        return {};
    const QSize least = content->minimumSizeHint();
    int height = least.height();
    // Wrapped text needs more lines when narrower: its least height is known only for a width.
    if (m_mostHeld > 0 && content->layout() && content->layout()->hasHeightForWidth()) {
        const int width = content->testAttribute(Qt::WA_Resized) ? content->width() : least.width();
        height = qMax(height, content->layout()->minimumHeightForWidth(width));
    }
    return { least.width(), qMin(height, m_mostHeld) };
}

void OverflowArea::setMostHeld(int height)
{
    height = qMax(height, 0);
    if (height == m_mostHeld)
        return;
    m_mostHeld = height;
    updateGeometry();
}

void OverflowArea::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    // Each time it comes into view (its surface opens, its tab is chosen) it starts at its top;
    // a window brought back from the task bar keeps its place.
    if (!event->spontaneous())
        verticalScrollBar()->setValue(0);
}

bool OverflowArea::overflows() const
{
    return verticalScrollBar()->maximum() > 0;
}

bool OverflowArea::viewportEvent(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::LayoutRequest) {
        // The content's wishes changed, and the area's with them. The layouts above take that in
        // now, each otherwise a pass of the event loop later: meanwhile the area would show a
        // scroll bar, and narrow its content, for what it is about to have the room for.
        updateGeometry();
        for (QWidget *above = parentWidget(); above; above = above->parentWidget()) {
            if (QLayout *layout = above->layout())
                layout->activate();
            if (above->isWindow())
                break;
        }
    }
    const bool handled = QScrollArea::viewportEvent(event);
    if (type == QEvent::LayoutRequest || type == QEvent::Resize)
        Q_EMIT reflowed();
    return handled;
}

void OverflowArea::keepInView(QWidget *focused)
{
    if (focused && widget() && widget()->isAncestorOf(focused) && overflows())
        ensureWidgetVisible(focused, focusMargin, focusMargin);
}
