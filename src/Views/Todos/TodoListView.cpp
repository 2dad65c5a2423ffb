#include "Views/Todos/TodoListView.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/KeyMonitor.h"
#include "Components/Controls/OverflowArea.h"
#include "Components/Controls/TabChain.h"
#include "Components/Controls/TintedButton.h"
#include "Models/Todos/Days.h"
#include "Services/Shell/MotionPreference.h"
#include "Services/Shell/Surface.h"
#include "Services/Sound/SoundBank.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Todos/ConfettiLayer.h"
#include "Views/Todos/TodoRow.h"
#include "Views/Todos/TodoSectionHeading.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QtMath>

namespace {

constexpr int rowGap = 2;
constexpr int contentInset = 2;
// The spring every row movement uses (reordering, a new day, a heading's filter change).
constexpr int reorderDurationMs = 220;
const char *const placedProperty = "vemraPlaced";

// How a row joins or leaves the list: the reordering spring's time, from and to 0.98 of its size.
AppearTransition::Motion rowMotion()
{
    return { .durationMs = reorderDurationMs, .scaleFrom = 0.98, .curve = QEasingCurve::OutCubic };
}
const QString slideName = QStringLiteral("vemraSlide");

} // namespace

TodoListView::TodoListView(TodoStore &store, TodosTabState &state, SoundBank &sounds, Density density, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_sounds(sounds)
    , m_state(state)
    , m_density(density)
    , m_today(state.today())
    , m_scroll(new QScrollArea(this))
    , m_content(new QWidget)
    , m_keys(new KeyMonitor(this))
    , m_scrollAnimation(new QVariantAnimation(this))
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_content->setObjectName(QStringLiteral("TodoList"));
    m_scroll->setWidget(m_content);
    // After setWidget, which turns the filling on: the card shows through the list.
    m_scroll->viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);
    m_content->installEventFilter(this);
    m_scroll->viewport()->installEventFilter(this);

    m_scrollAnimation->setDuration(150);
    m_scrollAnimation->setEasingCurve(QEasingCurve::OutQuad);
    connect(m_scrollAnimation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { scrollingBar()->setValue(value.toInt()); });

    m_keys->setHandler([this](const QKeyEvent &key) { return handleKey(key); });

    connect(&m_state, &TodosTabState::todosChanged, this, &TodoListView::rebuild);
    connect(&m_state, &TodosTabState::dayChanged, this, &TodoListView::rebuild);
    connect(&m_state, &TodosTabState::todayChanged, this, &TodoListView::rebuild);
    connect(&m_state, &TodosTabState::selectionChanged, this, [this] {
        const RowButton focused = focusedRowButton();
        updateRowStates();
        // Shown whole, the list may have no widget yet for the selected row: it gets one now.
        if (m_whole)
            placeRows(false);
        scrollToSelection();
        followSelection(focused);
    });
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeRows(false); });
    rebuild();
}

TodoListView::~TodoListView() = default;

void TodoListView::follow(Surface *surface)
{
    connect(surface, &Surface::isVisibleChanged, this, [this](bool visible) {
        if (!visible)
            surfaceHidden();
    });
}

void TodoListView::setMaxHeight(std::optional<int> maxHeight)
{
    m_maxHeight = maxHeight;
    if (!maxHeight) {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
    }
    relayout(false);
}

void TodoListView::scrollWith(OverflowArea *area)
{
    m_area = area;
    connect(area, &OverflowArea::reflowed, this, &TodoListView::refreshWhole);
    connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_whole)
            placeRows(false);
    });
}

void TodoListView::refreshWhole()
{
    if (!isVisible() || m_stale)
        return;
    // The middle scrolls even with the list at its least, and even at the most height it is
    // held to (the screen is short): a list squeezed inside it would scroll too, so it shows
    // whole instead. Its least as it is now, and as it is when not whole, so that the choice
    // does not feed on itself.
    const int own = minimumHeight() > 0 ? minimumHeight() : minimumSizeHint().height();
    const int least = m_maxHeight ? qMin(m_contentHeight, minimumSqueezedHeight) : minimumSizeHint().height();
    const int rest = m_area->widget()->minimumSizeHint().height() - own;
    const bool whole = rest + least > qMax(m_area->viewport()->height(), m_area->mostHeld());
    if (whole != m_whole) {
        m_whole = whole;
        applyHeight(m_contentHeight);
    }
    if (m_whole)
        placeRows(false);
}

QScrollBar *TodoListView::scrollingBar() const
{
    return m_whole ? m_area->verticalScrollBar() : m_scroll->verticalScrollBar();
}

QRect TodoListView::viewedRows() const
{
    // Shown whole, the list is as tall as its rows: what is in view is what the middle shows.
    const QWidget *view = m_whole ? m_area->viewport() : m_scroll->viewport();
    return { 0, m_content->mapFrom(view, QPoint()).y(), viewportWidth(), qMax(1, view->height()) };
}

QList<Todo> TodoListView::rows() const
{
    QList<Todo> result;
    for (const TodoSection &section : m_sections)
        result.append(section.todos);
    return result;
}

bool TodoListView::showsHeadings() const
{
    return !(m_sections.size() == 1 && m_sections.first().day == m_today);
}

TodoSectionHeading *TodoListView::heading(const QDate &day) const
{
    return m_headings.value(day);
}

std::optional<Todo> TodoListView::selectedTodo() const
{
    const std::optional<QUuid> selection = m_state.selection();
    if (!selection)
        return std::nullopt;
    for (const TodoSection &section : m_sections) {
        for (const Todo &todo : section.todos) {
            if (todo.id == *selection)
                return todo;
        }
    }
    return std::nullopt;
}

QList<QUuid> TodoListView::peers(const QUuid &id) const
{
    for (const TodoSection &section : m_sections) {
        const bool holds = std::any_of(
            section.todos.cbegin(), section.todos.cend(), [&id](const Todo &todo) { return todo.id == id; });
        if (!holds)
            continue;
        QList<QUuid> ids;
        ids.reserve(section.todos.size());
        for (const Todo &todo : section.todos)
            ids.append(todo.id);
        return ids;
    }
    return {};
}

TodoRow *TodoListView::makeRow(const Todo &todo)
{
    auto *row = new TodoRow(todo, m_density, m_today, m_content);
    const QUuid id = todo.id;
    connect(row, &TodoRow::selectRequested, this, [this, id] { select(id); });
    connect(row, &TodoRow::toggleRequested, this, [this, id] { toggle(id); });
    connect(row, &TodoRow::editRequested, this, [this, id] { beginEditing(id); });
    connect(row, &TodoRow::commitRequested, this, [this] { finishEditing(true, true); });
    connect(row, &TodoRow::cancelRequested, this, [this] { finishEditing(false, true); });
    connect(row, &TodoRow::deleteRequested, this, [this, id] { deleteTodo(id); });
    connect(row, &TodoRow::scheduleRequested, this, [this, id](const std::optional<QDate> &day) { schedule(id, day); });
    // "Another Day…": the calendar card shows to give the todo its day.
    connect(row, &TodoRow::pickDayRequested, this, [this, id] { m_state.beginMove(id); });
    connect(row, &TodoRow::draftChanged, this, [this](const QString &text) { m_draft = text; });
    connect(row, &TodoRow::dragMoved, this, [this, id](qreal dy) { dragRow(id, dy); });
    connect(row, &TodoRow::dragEnded, this, &TodoListView::dropRow);
    connect(row, &TodoRow::menuClosed, this, &TodoListView::refreshHover);
    // The row's own enter and leave would give it the hover look by itself; here the list decides.
    row->installEventFilter(this);
    row->setSelected(m_state.selection() == id);
    row->setDragging(m_drag && m_drag->id == id);
    if (row->isSelected())
        placeInTabOrder(row);
    return row;
}

TodoSectionHeading *TodoListView::makeHeading(const QDate &day)
{
    auto *h = new TodoSectionHeading(day, m_density, m_content);
    connect(h, &QAbstractButton::clicked, this, [this, day] { clickHeading(day); });
    return h;
}

std::optional<Todo> TodoListView::shownTodo(const QUuid &id) const
{
    for (const TodoSection &section : m_sections) {
        for (const Todo &todo : section.todos) {
            if (todo.id == id)
                return todo;
        }
    }
    return std::nullopt;
}

void TodoListView::rebuild()
{
    m_today = m_state.today();
    m_sections = m_state.sections();

    // An edit or a drag whose todo goes away (deleted elsewhere, or filtered out) is over; the
    // edit ends first so that its field's loss of focus reports nothing.
    if (m_editingID && !shownTodo(*m_editingID)) {
        if (TodoRow *row = m_rows.value(*m_editingID))
            row->setEditing(false);
        m_editingID.reset();
    }
    if (m_drag && !shownTodo(m_drag->id))
        m_drag.reset();

    relayout(m_built);
}

int TodoListView::rowHeight(const Todo &todo, int width)
{
    if (m_editingID == todo.id)
        return TodoRow::heightFor(todo, m_today, m_density, width, true);
    const std::optional<QDate> day = todo.dayStart();
    const bool overdue = day && *day < m_today;
    auto it = m_measures.find(todo.id);
    if (it != m_measures.end() && it->overdue == overdue && it->title == todo.title
        && (it->width == width || (it->fitsFrom > 0 && width >= it->fitsFrom)))
        return it->height;
    int fitsFrom = 0;
    const int height = TodoRow::heightFor(todo, m_today, m_density, width, false, &fitsFrom);
    m_measures.insert(todo.id, { todo.title, overdue, width, height, fitsFrom });
    return height;
}

void TodoListView::fadeIn(QWidget *row)
{
    // A todo that joins the list grows in where it lands, from a little smaller, fading in.
    auto *appear = new AppearTransition(row, rowMotion());
    appear->setShown(true);
}

void TodoListView::fadeOut(QWidget *row)
{
    // A todo that leaves fades where it stands, beneath the rows that slide over its place. It
    // may go from inside one of its own handlers (its Delete button), so it goes later.
    row->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->lower();
    auto *appear = row->findChild<AppearTransition *>(QString(), Qt::FindDirectChildrenOnly);
    if (!appear)
        appear = new AppearTransition(row, rowMotion());
    // Its own parts (the buttons of a row that was selected) end their fades at once: a fade
    // drawn inside the row's own fade would be painted by two painters at a time.
    for (AppearTransition *inner : row->findChildren<AppearTransition *>()) {
        if (inner != appear)
            inner->jumpTo(inner->isShown());
    }
    connect(appear, &AppearTransition::finished, row, &QObject::deleteLater);
    if (row->isVisible())
        appear->setShown(false);
    else
        row->deleteLater();
}

void TodoListView::updateRowStates()
{
    const std::optional<QUuid> selection = m_state.selection();
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        it.value()->setSelected(selection == it.key());
        it.value()->setDragging(m_drag && m_drag->id == it.key());
    }
    if (selection)
        placeInTabOrder(m_rows.value(*selection));
}

void TodoListView::placeInTabOrder(TodoRow *row) const
{
    // The selected row's buttons come where the list is, before the footer.
    if (row && row->editButton() && row->editButton()->focusPolicy() != Qt::NoFocus)
        TabChain::insertAt(this, { row->editButton(), row->deleteButton() });
}

TodoListView::RowButton TodoListView::focusedRowButton() const
{
    const QWidget *focused = QApplication::focusWidget();
    if (!focused || !m_content->isAncestorOf(focused))
        return RowButton::None;
    for (const TodoRow *row : m_rows) {
        if (focused == row->editButton())
            return RowButton::Edit;
        if (focused == row->deleteButton())
            return RowButton::Delete;
    }
    return RowButton::None;
}

void TodoListView::followSelection(RowButton focused)
{
    if (focused == RowButton::None)
        return;
    // The keyboard stays on the same button of the row the selection moved to (Delete pressed
    // again deletes the next todo), and goes back to the input when no row is selected.
    const std::optional<QUuid> selection = m_state.selection();
    TodoRow *row = selection ? m_rows.value(*selection) : nullptr;
    QWidget *button = nullptr;
    if (row && row->showsActions())
        button = focused == RowButton::Edit ? row->editButton() : row->deleteButton();
    if (button && button->focusPolicy() != Qt::NoFocus)
        button->setFocus(Qt::TabFocusReason);
    else
        requestInputFocus();
}

int TodoListView::viewportWidth() const
{
    return m_content->width();
}

void TodoListView::relayout(bool animated)
{
    // A hidden list is laid out when it shows, at the width it shows at; meanwhile it only
    // keeps the height it asks for right.
    if (!isVisible()) {
        m_stale = true;
        applyHeight(topHeight());
        return;
    }
    m_stale = false;
    const int width = viewportWidth();
    const bool headings = showsHeadings();
    int y = contentInset;
    qsizetype count = 0;
    for (const TodoSection &section : std::as_const(m_sections))
        count += section.todos.size();
    QList<Entry> layout;
    layout.reserve(count + m_sections.size());
    QHash<QUuid, QRectF> frames;
    frames.reserve(count);
    if (m_measures.isEmpty())
        m_measures.reserve(count);
    bool first = true;
    for (const TodoSection &section : std::as_const(m_sections)) {
        if (headings) {
            const int height = TodoSectionHeading::heightFor(m_density, first);
            layout.append({ QUuid(), section.day, QRect(0, y, width, height) });
            if (TodoSectionHeading *h = m_headings.value(section.day))
                h->setState(m_today, m_state.day() == section.day, first);
            y += height + rowGap;
        }
        first = false;
        for (const Todo &todo : section.todos) {
            const int height = rowHeight(todo, width);
            const QRect frame(0, y, width, height);
            layout.append({ todo.id, section.day, frame });
            if (m_built && !m_frames.contains(todo.id))
                m_joined.insert(todo.id);
            frames.insert(todo.id, QRectF(frame));
            if (TodoRow *row = m_rows.value(todo.id))
                row->setTodo(todo, m_today);
            y += height + rowGap;
        }
    }
    const int contentHeight = y - rowGap + contentInset;
    m_layout = layout;
    m_frames = frames;
    // Measures of todos that went away are dropped now and then, not at every change.
    if (m_measures.size() > 2 * m_frames.size() + 64) {
        for (auto it = m_measures.begin(); it != m_measures.end();)
            it = m_frames.contains(it.key()) ? std::next(it) : m_measures.erase(it);
    }

    // Rows whose todo left the list fade out where they stand; headings of days gone just go.
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (m_frames.contains(it.key())) {
            ++it;
            continue;
        }
        fadeOut(it.value());
        it = m_rows.erase(it);
    }
    for (auto it = m_headings.begin(); it != m_headings.end();) {
        const bool kept = headings
            && std::any_of(m_sections.cbegin(), m_sections.cend(),
                [&it](const TodoSection &section) { return section.day == it.key(); });
        if (kept) {
            ++it;
            continue;
        }
        it.value()->hide();
        it.value()->deleteLater();
        it = m_headings.erase(it);
    }

    if (contentHeight != m_contentHeight) {
        m_contentHeight = contentHeight;
        m_content->setMinimumHeight(contentHeight);
        Q_EMIT contentHeightChanged(contentHeight);
    }
    applyHeight(contentHeight);
    placeRows(animated);
    // Laid out in view once (a showing's own resize may have done it): later changes animate.
    m_built = true;
}

int TodoListView::topHeight() const
{
    // The rows are measured only as far as the height limit reaches (the panel's list); a list
    // without one takes whatever its surface gives and keeps the height it last had.
    if (!m_maxHeight || m_whole)
        return m_contentHeight;
    // Until the list has been shown its width is a guess: the width it asks for.
    const int width = m_built ? viewportWidth() : sizeHint().width();
    const bool headings = showsHeadings();
    int y = contentInset;
    bool first = true;
    for (const TodoSection &section : m_sections) {
        if (headings)
            y += TodoSectionHeading::heightFor(m_density, first) + rowGap;
        first = false;
        for (const Todo &todo : section.todos) {
            y += TodoRow::heightFor(todo, m_today, m_density, width, m_editingID == todo.id) + rowGap;
            if (y > *m_maxHeight)
                return y;
        }
    }
    return y - rowGap + contentInset;
}

void TodoListView::applyHeight(int contentHeight)
{
    const int leastBefore = minimumHeight();
    const int hint = m_maxHeight && !m_whole ? qMin(contentHeight, *m_maxHeight) : contentHeight;
    if (m_whole) {
        // All its rows' height, ignoring the limit: the middle scrolls through them.
        setMinimumHeight(contentHeight);
        setMaximumHeight(contentHeight);
    } else if (m_maxHeight) {
        // Never taller than its rows; shorter when the screen has no more room for the panel,
        // which then scrolls its list rather than cutting its header or footer.
        setMaximumHeight(hint);
        setMinimumHeight(qMin(contentHeight, minimumSqueezedHeight));
    } else {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
    }
    if (hint != m_hintHeight) {
        m_hintHeight = hint;
        updateGeometry();
    }
    // The layouts up to the middle take a new least height in at once rather than a posted
    // request per level later, so that the middle's least, which the choice to show the list
    // whole reads, is never one counted with the list's former height.
    if (m_area && minimumHeight() != leastBefore) {
        for (QWidget *above = parentWidget(); above && above != m_area->widget(); above = above->parentWidget())
            above->updateGeometry();
    }
}

void TodoListView::placeRows(bool animated)
{
    if (m_stale)
        return;
    const QHash<QUuid, qreal> offsets = m_drag ? m_drag->offsets(peers(m_drag->id), m_frames) : QHash<QUuid, qreal>();
    const QRect viewed = viewedRows();
    // Widgets exist for the visible part and a screen above and below it, so that a scroll or
    // a row sliding in never shows a gap; rows farther away jump rather than slide.
    const QRect band = viewed.adjusted(0, -viewed.height(), 0, viewed.height());
    const QRect visible = viewed.adjusted(0, -200, 0, 200);
    const bool moves = animated && !MotionPreference::reducesMotion();

    QSet<QUuid> rowsKept;
    QSet<QDate> headingsKept;
    for (auto entry = m_layout.cbegin(); entry != m_layout.cend(); ++entry) {
        const bool heading = entry->id.isNull();
        QRect target = entry->frame;
        if (!heading && !offsets.isEmpty())
            target.translate(0, qRound(offsets.value(entry->id)));
        // The edited, the dragged and the dropped row keep their widgets wherever they are; so
        // does the selected one in a list shown whole, though the middle may not show it yet.
        const bool pinned = !heading
            && (entry->id == m_editingID || (m_drag && m_drag->id == entry->id) || entry->id == m_droppedID
                || (m_whole && entry->id == m_state.selection()));
        if (!pinned && !band.intersects(target))
            continue;
        QWidget *w = nullptr;
        bool joined = false;
        if (heading) {
            TodoSectionHeading *h = m_headings.value(entry->day);
            if (!h) {
                h = makeHeading(entry->day);
                m_headings.insert(entry->day, h);
                h->setState(m_today, m_state.day() == entry->day, entry == m_layout.cbegin());
            }
            headingsKept.insert(entry->day);
            w = h;
        } else {
            TodoRow *row = m_rows.value(entry->id);
            if (!row) {
                const std::optional<Todo> todo = shownTodo(entry->id);
                if (!todo)
                    continue;
                row = makeRow(*todo);
                m_rows.insert(entry->id, row);
                joined = m_joined.contains(entry->id);
            }
            rowsKept.insert(entry->id);
            w = row;
        }
        // The dragged row follows the pointer directly.
        const bool slides = moves && !(m_drag && m_drag->id == entry->id && !heading);
        w->resize(target.size());
        auto *slide = w->findChild<QPropertyAnimation *>(slideName, Qt::FindDirectChildrenOnly);
        // A widget first placed in this pass of the event loop has not been drawn there yet: when
        // more changes arrive in the same pass (a burst of new todos, an import), it goes
        // straight to its latest place rather than sliding out from where an earlier layout put it.
        const QVariant placedIn = w->property(placedProperty);
        const bool placed = placedIn.isValid() && placedIn.toULongLong() != m_pass;
        if (!placed || !slides || !(visible.intersects(w->geometry()) || visible.intersects(target))) {
            if (slide)
                slide->stop();
            w->move(target.topLeft());
            if (!placedIn.isValid())
                markPlaced(w);
            if (joined && moves && visible.intersects(target))
                fadeIn(w);
            else
                w->show();
            continue;
        }
        if (slide && slide->state() == QAbstractAnimation::Running && slide->endValue().toPoint() == target.topLeft())
            continue;
        if (w->pos() == target.topLeft()) {
            if (slide)
                slide->stop();
            continue;
        }
        if (!slide) {
            slide = new QPropertyAnimation(w, "pos", w);
            slide->setObjectName(slideName);
            slide->setDuration(reorderDurationMs);
            slide->setEasingCurve(QEasingCurve::OutCubic);
            connect(slide, &QAbstractAnimation::finished, this, &TodoListView::refreshHover);
        }
        slide->stop();
        slide->setStartValue(w->pos());
        slide->setEndValue(target.topLeft());
        slide->start();
    }
    m_joined.clear();

    // Widgets far from the visible part go; their todos keep their frames.
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (rowsKept.contains(it.key())) {
            ++it;
            continue;
        }
        it.value()->hide();
        it.value()->deleteLater();
        it = m_rows.erase(it);
    }
    for (auto it = m_headings.begin(); it != m_headings.end();) {
        if (headingsKept.contains(it.key())) {
            ++it;
            continue;
        }
        it.value()->hide();
        it.value()->deleteLater();
        it = m_headings.erase(it);
    }

    if (m_droppedID) {
        if (TodoRow *row = m_rows.value(*m_droppedID))
            row->raise();
    }
    if (m_drag) {
        if (TodoRow *row = m_rows.value(m_drag->id))
            row->raise();
    }
    refreshHover();
}

void TodoListView::markPlaced(QWidget *widget)
{
    widget->setProperty(placedProperty, QVariant::fromValue(m_pass));
    if (m_passEnds)
        return;
    m_passEnds = true;
    // Queued behind the events already waiting, so it runs once the current pass is over.
    QMetaObject::invokeMethod(
        this,
        [this] {
            ++m_pass;
            m_passEnds = false;
        },
        Qt::QueuedConnection);
}

void TodoListView::refreshHover()
{
    // While another popup (a row's menu) is open the rows keep their look; it is asked again
    // once the menu has closed. The panel itself may be a popup.
    const QWidget *popup = QApplication::activePopupWidget();
    if (popup && popup != window())
        return;
    // The pointer's position is trusted only while Qt's own enter and leave events say it is
    // over the viewport: then the viewport's leave will also take the look away again.
    const QWidget *viewport = m_scroll->viewport();
    if (!isVisible() || !viewport->underMouse()) {
        clearHover();
        return;
    }
    const QPoint pointer = QCursor::pos();
    const bool inside = viewport->rect().contains(viewport->mapFromGlobal(pointer));
    const QPoint at = m_content->mapFromGlobal(pointer);
    for (TodoRow *row : std::as_const(m_rows))
        row->setHovered(inside && row->isVisible() && row->geometry().contains(at));
}

void TodoListView::clearHover()
{
    for (TodoRow *row : std::as_const(m_rows))
        row->setHovered(false);
}

void TodoListView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_stale || !m_built)
        relayout(false);
    refreshHover();
}

void TodoListView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A row hovered when the surface closed is not hovered when it opens again elsewhere.
    clearHover();
}

QSize TodoListView::sizeHint() const
{
    return { 380, m_hintHeight };
}

bool TodoListView::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_content && type == QEvent::Resize) {
        auto *resize = static_cast<QResizeEvent *>(event);
        if (resize->size().width() != resize->oldSize().width() && isVisible())
            relayout(false);
    } else if (watched == m_scroll->viewport()) {
        if (type == QEvent::Resize && isVisible())
            placeRows(false);
        else if (type == QEvent::Enter)
            refreshHover();
        else if (type == QEvent::Leave)
            clearHover();
    } else if (type == QEvent::Enter || type == QEvent::Leave) {
        // A row's own crossing: the list works out again which row is under the pointer.
        if (qobject_cast<TodoRow *>(watched)) {
            refreshHover();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TodoListView::requestInputFocus()
{
    m_state.focusRequested(VemraTab::Todos);
}

void TodoListView::select(const QUuid &id)
{
    m_state.setSelection(id);
    requestInputFocus();
}

void TodoListView::toggle(const QUuid &id)
{
    m_store.toggle(id);
    const std::optional<Todo> todo = m_store.todo(id);
    if (todo && todo->isCompleted) {
        ConfettiLayer::throwFrom(this, id);
        m_sounds.play(SoundBank::Sound::Done);
    }
}

void TodoListView::beginEditing(const QUuid &id)
{
    finishEditing(true, false);
    const std::optional<Todo> todo = shownTodo(id);
    if (!todo)
        return;
    m_state.setSelection(id);
    m_draft = todo->title;
    m_editingID = id;
    // The edited row keeps its widget wherever the list scrolls.
    relayout(true);
    if (TodoRow *row = m_rows.value(id))
        row->setEditing(true, m_draft);
}

void TodoListView::finishEditing(bool save, bool refocus)
{
    if (!m_editingID)
        return;
    const QUuid id = *m_editingID;
    m_editingID.reset();
    TodoRow *row = m_rows.value(id);
    if (row)
        row->setEditing(false);
    if (save && row)
        m_store.rename(id, m_draft);
    if (refocus)
        requestInputFocus();
    relayout(true);
}

void TodoListView::deleteTodo(const QUuid &id)
{
    if (m_editingID == id) {
        m_editingID.reset();
        if (TodoRow *row = m_rows.value(id))
            row->setEditing(false);
    }
    if (m_state.selection() == id) {
        const QList<Todo> all = rows();
        QList<Todo> remaining;
        qsizetype index = -1;
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (all.at(i).id == id)
                index = i;
            else
                remaining.append(all.at(i));
        }
        if (remaining.isEmpty())
            m_state.setSelection(std::nullopt);
        else
            m_state.setSelection(remaining.at(qMin(qMax<qsizetype>(index, 0), remaining.size() - 1)).id);
    }
    m_store.remove(id);
    m_sounds.play(SoundBank::Sound::Pop);
}

void TodoListView::schedule(const QUuid &id, const std::optional<QDate> &day)
{
    m_store.schedule(id, day);
}

bool TodoListView::handleKey(const QKeyEvent &key)
{
    if (m_editingID)
        return false;
    // ⌘ (Ctrl), ⌥ and ⌃ keys belong to the surface's shortcuts; Shift and the keypad do not matter.
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (!m_state.selection()) {
        if (key.key() != Qt::Key_Down)
            return false;
        const QList<Todo> all = rows();
        if (all.isEmpty())
            return false;
        m_state.setSelection(all.first().id);
        return true;
    }
    const std::optional<Todo> selected = selectedTodo();
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selected)
            beginEditing(selected->id);
        return true;
    case Qt::Key_Space:
        if (selected)
            toggle(selected->id);
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (selected)
            deleteTodo(selected->id);
        return true;
    case Qt::Key_Escape:
        m_state.setSelection(std::nullopt);
        return true;
    case Qt::Key_Down:
        moveSelection(1);
        return true;
    case Qt::Key_Up:
        moveSelection(-1);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // Tab moves the keyboard on, to the selected row's buttons among others: it types nothing.
        return false;
    case Qt::Key_Menu:
        openRowMenu();
        return true;
    case Qt::Key_F10:
        // Shift+F10 asks for a context menu as the Menu key does.
        if (!(key.modifiers() & Qt::ShiftModifier))
            break;
        openRowMenu();
        return true;
    default:
        break;
    }
    // Typing goes on to the input line, and the row lets go of the selection.
    m_state.setSelection(std::nullopt);
    return false;
}

void TodoListView::openRowMenu()
{
    // The selection is scrolled into view as it is made, so its row has its widget.
    const std::optional<Todo> selected = selectedTodo();
    if (TodoRow *row = selected ? m_rows.value(selected->id) : nullptr)
        row->openMenuFromKeyboard();
}

void TodoListView::moveSelection(int by)
{
    const QList<Todo> all = rows();
    if (all.isEmpty()) {
        m_state.setSelection(std::nullopt);
        return;
    }
    qsizetype index = -1;
    if (const std::optional<QUuid> selection = m_state.selection()) {
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (all.at(i).id == *selection) {
                index = i;
                break;
            }
        }
    }
    if (index < 0) {
        m_state.setSelection(all.first().id);
        return;
    }
    const qsizetype target = index + by;
    if (target < 0)
        m_state.setSelection(std::nullopt);
    else
        m_state.setSelection(all.at(qMin(target, all.size() - 1)).id);
}

void TodoListView::surfaceHidden()
{
    finishEditing(true, false);
    m_state.setSelection(std::nullopt);
    if (m_drag) {
        m_drag.reset();
        updateRowStates();
        placeRows(false);
    }
}

void TodoListView::clickHeading(const QDate &day)
{
    const bool filtered = m_state.day() == day;
    if (!filtered && Days::distance(m_today, day) != 0)
        m_state.setDay(day);
    else
        m_state.setDay(std::nullopt);
}

void TodoListView::scrollToSelection()
{
    const std::optional<QUuid> selection = m_state.selection();
    if (!selection || !m_frames.contains(*selection))
        return;
    QRectF frame = m_frames.value(*selection);
    QScrollBar *bar = scrollingBar();
    const int top = bar->value();
    int height = m_scroll->viewport()->height();
    if (m_whole) {
        frame.translate(m_content->mapTo(m_area->widget(), QPoint()));
        height = m_area->viewport()->height();
    }
    int target = top;
    if (frame.top() < top)
        target = int(frame.top());
    else if (frame.bottom() > top + height)
        target = qCeil(frame.bottom()) - height;
    target = qBound(bar->minimum(), target, bar->maximum());
    if (target == top)
        return;
    m_scrollAnimation->stop();
    if (MotionPreference::reducesMotion() || !isVisible()) {
        bar->setValue(target);
        return;
    }
    m_scrollAnimation->setStartValue(top);
    m_scrollAnimation->setEndValue(target);
    m_scrollAnimation->start();
}

void TodoListView::dragRow(const QUuid &id, qreal dy)
{
    // While a title is edited in place no row can be dragged.
    if (m_editingID)
        return;
    const std::optional<TodoRowDrag> updated = TodoRowDrag::update(id, dy, peers(id), m_frames);
    if (!updated)
        return;
    m_drag = updated;
    updateRowStates();
    // Only the offsets change: the rows' places are those of the last layout.
    placeRows(true);
}

void TodoListView::dropRow()
{
    if (!m_drag)
        return;
    const TodoRowDrag drag = *m_drag;
    m_droppedID = drag.id;
    // The drag ends before the store moves the todo, so the rows spring from where they are
    // shown straight into the new order.
    m_drag.reset();
    updateRowStates();
    if (drag.to != drag.from) {
        const QList<QUuid> group = peers(drag.id);
        if (group.contains(drag.id))
            m_store.move(drag.id, drag.to, group);
    }
    relayout(true);
    const QUuid dropped = drag.id;
    QTimer::singleShot(reorderDurationMs, this, [this, dropped] {
        if (m_droppedID == dropped)
            m_droppedID.reset();
    });
}
