#include "Views/Clipboard/ClipboardListView.h"

#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardRowText.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Shell/MotionPreference.h"
#include "Views/Clipboard/ClipboardRowDelegate.h"
#include "Views/Clipboard/ClipboardRowsAccessible.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QHoverEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace {

// The list eases to a row the keys selected.
constexpr int selectionScrollDuration = 150;

} // namespace

ClipboardListView::ClipboardListView(ClipboardTabState &state, ImageLoader &images, Density density, QWidget *parent)
    : QListView(parent)
    , m_state(state)
    , m_delegate(new ClipboardRowDelegate(state, images, density, this))
{
    setModel(&state.list());
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(12);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    viewport()->setAttribute(Qt::WA_Hover);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    viewport()->setCursor(Qt::PointingHandCursor);
    setAccessibleName(QStringLiteral("Clipboard history"));
    ClipboardRowsAccessible::install();

    const ClipboardListModel &model = state.list();
    connect(&model, &QAbstractItemModel::rowsAboutToBeInserted, this, &ClipboardListView::keepAnchor);
    connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this, &ClipboardListView::keepAnchor);
    connect(&model, &QAbstractItemModel::rowsAboutToBeMoved, this, &ClipboardListView::keepAnchor);
    connect(&model, &ClipboardListModel::summaryChanged, this, &ClipboardListView::restoreAnchor);
    connect(&state, &ClipboardTabState::selectionChanged, this, &ClipboardListView::revealSelection);
    connect(&state, &ClipboardTabState::selectionChanged, viewport(), qOverload<>(&QWidget::update));
    connect(&state, &ClipboardTabState::copiedChanged, viewport(), qOverload<>(&QWidget::update));
    connect(m_delegate, &ClipboardRowDelegate::lookChanged, viewport(), qOverload<>(&QWidget::update));
    m_scroll.setDuration(selectionScrollDuration);
    m_scroll.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_scroll, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_easing = true;
        verticalScrollBar()->setValue(value.toInt());
        m_easing = false;
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        // Scrolled by anything else (a hand, a jump to the top): the eased scroll's next frame
        // would drag the list back.
        if (!m_easing)
            m_scroll.stop();
        followPointer();
        m_delegate->forgetFailures([this](const QUuid &id) {
            const int row = m_state.list().row(id);
            return row >= 0 && viewport()->rect().intersects(visualRect(this->model()->index(row, 0)));
        });
    });
}

bool ClipboardListView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        m_pointer = static_cast<QHoverEvent *>(event)->globalPosition().toPoint();
        followPointer();
        return QListView::viewportEvent(event);
    case QEvent::HoverLeave:
        m_pointer.reset();
        followPointer();
        return QListView::viewportEvent(event);
    case QEvent::ToolTip:
        break;
    default:
        return QListView::viewportEvent(event);
    }
    // The round button shows under the pointer, so its tip does too; the rest of a row has none.
    const auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = indexAt(help->pos());
    const QRect button = index.isValid() ? m_delegate->moreButtonRect(visualRect(index)) : QRect();
    if (button.contains(help->pos()))
        QToolTip::showText(help->globalPos(), QStringLiteral("More"), viewport(), button);
    else
        QToolTip::hideText();
    return true;
}

void ClipboardListView::showEvent(QShowEvent *event)
{
    // Shown again (the panel reopened): every picture that failed is tried once more.
    m_delegate->forgetFailures();
    QListView::showEvent(event);
}

void ClipboardListView::hideEvent(QHideEvent *event)
{
    // The pointer goes with the panel; no row is under it when it opens again.
    m_pointer.reset();
    followPointer();
    QListView::hideEvent(event);
}

void ClipboardListView::updateGeometries()
{
    QListView::updateGeometries();
    followPointer();
}

void ClipboardListView::followPointer()
{
    QModelIndex index;
    if (m_pointer) {
        const QPoint at = viewport()->mapFromGlobal(*m_pointer);
        if (viewport()->rect().contains(at))
            index = indexAt(at);
    }
    m_delegate->setHovered(index.isValid() ? std::optional(m_state.list().item(index.row()).id) : std::nullopt);
}

void ClipboardListView::setFittedHeight(int height)
{
    if (m_fittedHeight == height)
        return;
    m_fittedHeight = height;
    setMaximumHeight(height);
    updateGeometry();
}

QSize ClipboardListView::sizeHint() const
{
    const QSize size = QListView::sizeHint();
    return m_fittedHeight ? QSize(size.width(), *m_fittedHeight) : size;
}

int ClipboardListView::contentHeight(int width) const
{
    int height = 0;
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, width, 0);
    for (int row = 0; row < model()->rowCount(); ++row)
        height += m_delegate->sizeHint(option, model()->index(row, 0)).height();
    return height;
}

QMenu *ClipboardListView::makeMenu(const ClipboardItem &item, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const ClipboardRowText::Action action : ClipboardRowText::actions(item)) {
        if (action == ClipboardRowText::Action::Delete)
            menu->addSeparator();
        QAction *command = menu->addAction(ClipboardRowText::actionTitle(action));
        connect(command, &QAction::triggered, this, [this, action, entry = item] {
            switch (action) {
            case ClipboardRowText::Action::Copy:
                m_state.copy(entry, false);
                break;
            case ClipboardRowText::Action::Preview:
                m_state.preview(entry);
                break;
            case ClipboardRowText::Action::OpenLink:
                ClipboardTabState::openLink(entry);
                break;
            case ClipboardRowText::Action::Delete:
                m_state.deleteFromList(entry);
                break;
            }
        });
    }
    return menu;
}

void ClipboardListView::mousePressEvent(QMouseEvent *event)
{
    // Clicks act on release; pressing only must not start the view's own selection.
    event->accept();
}

void ClipboardListView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    const ClipboardItem item = m_state.list().item(index.row());
    if (m_delegate->moreButtonRect(visualRect(index)).contains(event->position().toPoint())) {
        QMenu *menu = makeMenu(item, this);
        const QRect button = m_delegate->moreButtonRect(visualRect(index));
        menu->popup(viewport()->mapToGlobal(button.bottomLeft()));
        return;
    }
    m_state.copy(item, false);
}

void ClipboardListView::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    if (!index.isValid())
        return;
    makeMenu(m_state.list().item(index.row()), this)->popup(event->globalPos());
}

void ClipboardListView::keepAnchor()
{
    if (m_anchor || verticalScrollBar()->value() == 0)
        return;
    const QModelIndex top = indexAt(QPoint(1, 1));
    if (!top.isValid())
        return;
    m_anchor = m_state.list().item(top.row()).id;
    m_anchorOffset = visualRect(top).top();
}

void ClipboardListView::restoreAnchor()
{
    if (!m_anchor)
        return;
    const int row = m_state.list().row(*m_anchor);
    m_anchor.reset();
    if (row < 0)
        return;
    executeDelayedItemsLayout();
    const int shift = visualRect(model()->index(row, 0)).top() - m_anchorOffset;
    // An eased scroll under way moves with the rows, to where it was heading.
    const bool easing = m_scroll.state() == QAbstractAnimation::Running;
    m_easing = easing;
    verticalScrollBar()->setValue(verticalScrollBar()->value() + shift);
    m_easing = false;
    if (easing) {
        m_scroll.setStartValue(m_scroll.startValue().toInt() + shift);
        m_scroll.setEndValue(m_scroll.endValue().toInt() + shift);
    }
}

void ClipboardListView::revealSelection()
{
    const std::optional<QUuid> selection = m_state.selection();
    if (!selection)
        return;
    const int row = m_state.list().row(*selection);
    if (row < 0)
        return;
    // The least scrolling that shows the whole row, eased over 0.15 s.
    executeDelayedItemsLayout();
    const QRect shown = visualRect(model()->index(row, 0));
    QScrollBar *bar = verticalScrollBar();
    const int from = m_scroll.state() == QAbstractAnimation::Running ? m_scroll.endValue().toInt() : bar->value();
    int to = from;
    const int offset = from - bar->value();
    if (shown.top() - offset < 0)
        to = from + shown.top() - offset;
    else if (shown.bottom() - offset >= viewport()->height())
        to = from + shown.bottom() - offset - viewport()->height() + 1;
    to = qBound(bar->minimum(), to, bar->maximum());
    if (to == bar->value() && m_scroll.state() != QAbstractAnimation::Running)
        return;
    m_scroll.stop();
    if (MotionPreference::reducesMotion() || !isVisible()) {
        bar->setValue(to);
        return;
    }
    m_scroll.setStartValue(bar->value());
    m_scroll.setEndValue(to);
    m_scroll.start();
}
