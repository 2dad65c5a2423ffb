#pragma once

#include "Components/Theme/Density.h"
#include "Models/Todos/Todo.h"
#include "Models/Todos/TodoSection.h"
#include "Views/Todos/TodoRowDrag.h"

#include <QHash>
#include <QSet>
#include <QWidget>

#include <optional>

class KeyMonitor;
class OverflowArea;
class QKeyEvent;
class QScrollArea;
class QScrollBar;
class QVariantAnimation;
class Surface;
class TodoRow;
class TodoSectionHeading;
class SoundBank;
class TodoStore;
class TodosTabState;

// The scrolling list of the todos tab: the tab state's day sections, each under a heading that
// doubles as the day filter (left out when today's is the only section), one row per todo.
// It handles the list's keys while the keyboard focus stays in the input line (arrows select,
// Return edits, Space completes, Delete deletes, Escape deselects), edits titles in place and
// reorders todos by dragging a row within its own day. Every change goes through the store;
// the list keeps only the edit in progress and the drag. Tab reaches the selected row's Edit
// and Delete after the controls above the list; the keyboard on one of them goes with the
// selection, and back to the input when no row is selected.
//
// Every todo is measured and placed, but widgets are made only for the rows and headings in
// and near the visible part (and for the row being edited or dragged), so the list costs the
// same at 20,000 todos as at 300; while the list is hidden a change only marks it stale. Row
// widgets are kept per todo id and updated in place, so a change animates (the checkbox
// ticks, rows slide to their new places) instead of the list being rebuilt.
//
// Which row looks hovered is decided here alone: the pointer is taken to be over the list only
// while Qt says it is over the viewport (its own enter and leave events), and then the row
// under it is hovered, also when rows moved under a pointer that stood still.
class TodoListView final : public QWidget
{
    Q_OBJECT

public:
    // The least height a list with a height limit keeps when its surface has to be shorter.
    static constexpr int minimumSqueezedHeight = 88;

    TodoListView(TodoStore &store, TodosTabState &state, SoundBank &sounds, Density density, QWidget *parent = nullptr);
    ~TodoListView() override;

    // Hiding the surface ends an edit (keeping the draft), the selection and a drag.
    void follow(Surface *surface);
    // The most height the list takes before it scrolls; nothing: whatever the surface gives.
    void setMaxHeight(std::optional<int> maxHeight);
    // The scrolling middle the list sits in. Where that cannot give the list its least height,
    // the list takes all its rows' height and scrolls with the middle, one scroll bar for both;
    // it still makes widgets only for the rows in and near the part the middle shows.
    void scrollWith(OverflowArea *area);

    // Every shown todo, section after section: the order of keyboard navigation.
    QList<Todo> rows() const;
    QList<TodoSection> sections() const { return m_sections; }
    bool showsHeadings() const;
    std::optional<QUuid> editingID() const { return m_editingID; }
    QString draft() const { return m_draft; }
    const std::optional<TodoRowDrag> &drag() const { return m_drag; }
    std::optional<QUuid> droppedID() const { return m_droppedID; }
    int contentHeight() const { return m_contentHeight; }

    // The widget of a row or heading, when one is made (it is in or near the visible part).
    TodoRow *row(const QUuid &id) const { return m_rows.value(id); }
    TodoSectionHeading *heading(const QDate &day) const;
    int madeRowCount() const { return int(m_rows.size()); }
    // A row's laid-out frame in the list's content (without any drag offset).
    QRectF rowFrame(const QUuid &id) const { return m_frames.value(id); }
    QScrollArea *scrollArea() const { return m_scroll; }

    void select(const QUuid &id);
    // Completes or reopens the todo; completing throws confetti from its checkbox and plays
    // the done sound.
    void toggle(const QUuid &id);
    // Saves an edit in progress on another row first.
    void beginEditing(const QUuid &id);
    void finishEditing(bool save, bool refocus);
    // Deletes the todo; the selection moves on to the row that followed it.
    void deleteTodo(const QUuid &id);
    void schedule(const QUuid &id, const std::optional<QDate> &day);
    bool handleKey(const QKeyEvent &key);
    void moveSelection(int by);
    void surfaceHidden();

    // Gives the hover look to the row under the pointer, and to no other, while the pointer is
    // over the viewport: rows that moved under a pointer that stood still learn it here, after
    // every relayout, scroll, menu and drag.
    void refreshHover();

    // The steps of a drag, as the rows report them.
    void dragRow(const QUuid &id, qreal dy);
    void dropRow();

    QSize sizeHint() const override;

Q_SIGNALS:
    void contentHeightChanged(int height);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // One laid-out row (a todo id) or heading (a null id), in the content's order.
    struct Entry
    {
        QUuid id;
        QDate day;
        QRect frame;
    };
    // A row's measured height and what it was measured for.
    struct Measure
    {
        QString title;
        bool overdue = false;
        int width = 0;
        int height = 0;
        // A title on one line keeps its height at any width from here (0: only at `width`), so a
        // scroll bar that comes or goes does not measure the whole list again.
        int fitsFrom = 0;
    };

    void rebuild();
    void fadeIn(QWidget *row);
    void fadeOut(QWidget *row);
    void relayout(bool animated);
    // Makes the widgets of the entries in and near the visible part, drops the others, and
    // moves each to its place (sliding there when `animated`).
    void placeRows(bool animated);
    // Notes the pass of the event loop in which a widget first got its place.
    void markPlaced(QWidget *widget);
    int rowHeight(const Todo &todo, int width);
    // The content's height, counted only as far as the height limit (all of it without one).
    int topHeight() const;
    // Asks the surface for the height that shows `contentHeight` within the limit.
    void applyHeight(int contentHeight);
    // Whether the list scrolls with its middle, as the middle's room and content now stand.
    void refreshWhole();
    // The scroll bar that moves the rows: the list's own, or the middle's.
    QScrollBar *scrollingBar() const;
    // The part of the list's content in view, in the content's coordinates.
    QRect viewedRows() const;
    void clearHover();
    void updateRowStates();
    // Which button of a row has the keyboard's focus, if one has.
    enum class RowButton { None, Edit, Delete };
    RowButton focusedRowButton() const;
    void followSelection(RowButton focused);
    void placeInTabOrder(TodoRow *row) const;
    // The Menu key or Shift+F10: the selected row's context menu, beside it.
    void openRowMenu();
    void clickHeading(const QDate &day);
    void scrollToSelection();
    void requestInputFocus();
    std::optional<Todo> selectedTodo() const;
    QList<QUuid> peers(const QUuid &id) const;
    TodoRow *makeRow(const Todo &todo);
    TodoSectionHeading *makeHeading(const QDate &day);
    std::optional<Todo> shownTodo(const QUuid &id) const;
    int viewportWidth() const;

    TodoStore &m_store;
    SoundBank &m_sounds;
    TodosTabState &m_state;
    Density m_density;
    QDate m_today;
    QList<TodoSection> m_sections;
    std::optional<int> m_maxHeight;
    OverflowArea *m_area = nullptr;
    // Shown whole within the middle, which scrolls it.
    bool m_whole = false;

    QScrollArea *m_scroll;
    QWidget *m_content;
    KeyMonitor *m_keys;
    QVariantAnimation *m_scrollAnimation;
    QHash<QUuid, TodoRow *> m_rows;
    QHash<QDate, TodoSectionHeading *> m_headings;
    QList<Entry> m_layout;
    QHash<QUuid, QRectF> m_frames;
    QHash<QUuid, Measure> m_measures;
    // Todos that joined the list since the last layout; their rows grow in where they land.
    QSet<QUuid> m_joined;
    // Counts passes of the event loop in which widgets were placed; a pass ends once the events
    // waiting when its first widget was placed have been handled.
    quint64 m_pass = 0;
    bool m_passEnds = false;
    int m_contentHeight = 0;
    int m_hintHeight = 0;
    bool m_built = false;
    // A change arrived while the list was hidden: it is laid out when it shows.
    bool m_stale = false;

    std::optional<QUuid> m_editingID;
    QString m_draft;
    std::optional<TodoRowDrag> m_drag;
    std::optional<QUuid> m_droppedID;
};
