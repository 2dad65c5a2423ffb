#pragma once

#include "Components/Theme/Density.h"
#include "Models/Todos/Todo.h"
#include "Views/Todos/InlineEditor.h"

#include <QDate>
#include <QPointer>
#include <QWidget>

#include <optional>

class AppearTransition;
class QMenu;
class QVariantAnimation;
class TintedButton;
class TodoCheckbox;
class TodoTitleText;

// One todo of the todo list: its checkbox, its title (or the inline editor while the title is
// edited in place), the day of an overdue todo, the "Edit" and "Delete" buttons shown under
// the pointer or on the selected row, and a context menu. The row owns no data and never
// changes a todo: every action is a signal that the list turns into a store change. Besides
// the pointer's presence it keeps only the press that may become a drag, which it reports as a
// vertical distance from where the press began. Where the pointer is, the list tells it again
// whenever rows move under a pointer that stood still (setHovered()).
class TodoRow final : public QWidget
{
    Q_OBJECT

public:
    // One item of the "Move to" menu: the day offered (none: today, i.e. no day) and whether
    // it is the todo's own listing day.
    struct MoveTo
    {
        QString title;
        std::optional<QDate> day;
        bool enabled = true;

        friend bool operator==(const MoveTo &, const MoveTo &) = default;
    };

    TodoRow(const Todo &todo, Density density, const QDate &today, QWidget *parent = nullptr);

    const Todo &todo() const { return m_todo; }
    // A change of completion animates the checkbox.
    void setTodo(const Todo &todo, const QDate &today);
    void setSelected(bool selected);
    // Starting an edit shows a fresh editor holding `draft`; ending it drops the editor.
    void setEditing(bool editing, const QString &draft = {});
    void setDragging(bool dragging);

    bool isSelected() const { return m_selected; }
    bool isEditing() const { return m_editor != nullptr; }
    bool isDragging() const { return m_dragging; }
    bool isHovered() const { return m_hovered; }
    void setHovered(bool hovered);
    // Whether "Edit" and "Delete" are shown (the rule, not the fade's progress).
    bool showsActions() const;
    // The day under the title of an overdue todo; nothing for one due today, later or never.
    std::optional<QDate> overdueDay() const;

    TodoCheckbox *checkbox() const { return m_checkbox; }
    TodoTitleText *titleText() const { return m_title; }
    InlineEditor *editor() const { return m_editor; }
    TintedButton *editButton() const { return m_editButton; }
    TintedButton *deleteButton() const { return m_deleteButton; }

    // The seven days of "Move to": today and the six days after it.
    static QList<MoveTo> moveToItems(const Todo &todo, const QDate &today);
    // The context menu as shown on a secondary click (the caller owns it).
    QMenu *makeContextMenu(QWidget *parent = nullptr);
    // The context menu asked for from the keyboard: beside the row, its first entry highlighted.
    void openMenuFromKeyboard();

    // The height of a row at `width` for a todo, without making one: the list measures every
    // todo this way and makes rows only for those it shows. `fitsFrom`, when given, is set to the
    // least width from which a title on one line keeps this height; to 0 for a wrapped title.
    static int heightFor(const Todo &todo, const QDate &today, Density density, int width, bool editing = false,
        int *fitsFrom = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

Q_SIGNALS:
    void selectRequested();
    void toggleRequested();
    void editRequested();
    void commitRequested();
    void cancelRequested();
    void deleteRequested();
    // The "Move to" menu: a day, or none for today (no day).
    void scheduleRequested(const std::optional<QDate> &day);
    void pickDayRequested();
    void draftChanged(const QString &draft);
    // A press moved at least 4 pixels: the vertical distance from the press, on every move.
    void dragMoved(qreal dy);
    // The press of a drag was released.
    void dragEnded();
    // The context menu closed, whatever it did.
    void menuClosed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void updateTexts();
    void updateActions(bool animated);
    void ensureActions();
    void layoutChildren();
    // How far the dragged look is in: 0 resting, 1 lifted.
    void setLift(qreal lift);
    int titleWidth(int width) const;
    int actionsWidth() const;
    static int titleWidth(Density density, int width);
    static int actionsWidth(Density density);

    Todo m_todo;
    Density m_density;
    QDate m_today;
    bool m_selected = false;
    bool m_dragging = false;
    bool m_hovered = false;
    bool m_actionsShown = false;

    TodoCheckbox *m_checkbox;
    TodoTitleText *m_title;
    QPointer<InlineEditor> m_editor;
    QWidget *m_actions = nullptr;
    TintedButton *m_editButton = nullptr;
    TintedButton *m_deleteButton = nullptr;
    AppearTransition *m_actionsFade = nullptr;
    QVariantAnimation *m_liftAnimation;
    qreal m_lift = 0;

    std::optional<QPointF> m_pressAt;
    bool m_pressDragging = false;
};
