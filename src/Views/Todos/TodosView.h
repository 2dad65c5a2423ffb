#pragma once

#include "Components/Theme/Density.h"

#include <QMargins>
#include <QWidget>

#include <optional>

class AppearTransition;
class CalendarPanel;
class CrossFade;
class EmptyState;
class OverflowArea;
class SoundBank;
class Surface;
class TodoInput;
class TodoListView;
class TodosTabState;
class QVBoxLayout;

// The todos tab as both containers compose it, top to bottom: the input line, the calendar
// card (while the calendar is switched on or a todo is being moved), then the list of day
// sections or, when nothing is listed, the empty state, and last the container's own footer.
// The containers differ only in the metrics they pass and in their footers.
class TodosView final : public QWidget
{
    Q_OBJECT

public:
    struct Metrics
    {
        QMargins input;
        QMargins calendar;
        QMargins list;
        // The height at which the list starts to scroll; none: it takes whatever is free.
        std::optional<int> listMaxHeight;
        // The empty state's height; none: it is centred in the free height.
        std::optional<int> emptyStateHeight;
    };

    TodosView(
        TodosTabState &state, SoundBank &sounds, Density density, const Metrics &metrics, QWidget *parent = nullptr);

    // The list follows the surface (hiding it ends an edit and the selection).
    void follow(Surface *surface);
    // Puts the container's footer under the list.
    void setFooter(QWidget *footer);

    TodoInput *input() const { return m_input; }
    CalendarPanel *calendarPanel() const { return m_calendar; }
    EmptyState *emptyState() const { return m_empty; }
    TodoListView *list() const { return m_list; }
    // The card and the body, which scroll where even their least height does not fit.
    OverflowArea *middle() const { return m_middle; }

    bool showsCalendarCard() const;
    bool showsEmptyState() const;

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void refreshCalendarCard();
    void refreshBody();

    TodosTabState &m_state;
    Density m_density;
    Metrics m_metrics;
    QVBoxLayout *m_column;
    TodoInput *m_input;
    QWidget *m_calendarBox;
    OverflowArea *m_middle = nullptr;
    CalendarPanel *m_calendar;
    AppearTransition *m_cardMotion;
    QWidget *m_body;
    QWidget *m_emptyBox;
    EmptyState *m_empty;
    QWidget *m_listBox;
    TodoListView *m_list;
    CrossFade *m_bodyFade;
    bool m_cardShown = false;
};
