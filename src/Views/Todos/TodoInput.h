#pragma once

#include "Components/Theme/Density.h"

#include <QWidget>

class IconButton;
class KeyMonitor;
class QLineEdit;
class Transition;
class WidthSpring;
class TodosTabState;

// The new-todo line at the top of the todos tab: the text field, the day control (the day a new
// todo is planned for, which also opens and closes the calendar card) with its cross back to no
// day, and the add button. It keeps nothing of its own: the typed text, the day, the calendar
// switch and whether a row is selected all live in the tab state, and Return and Escape are
// handed to it (add, and one step back).
//
// Ctrl+D toggles the calendar from anywhere in the input's window, before the text field's own
// editing keys see it.
class TodoInput final : public QWidget
{
    Q_OBJECT

public:
    TodoInput(TodosTabState &state, Density density, QWidget *parent = nullptr);

    Density density() const { return m_density; }
    QLineEdit *field() const { return m_field; }
    IconButton *dayButton() const { return m_dayButton; }
    IconButton *clearDayButton() const { return m_clearDay; }
    IconButton *addButton() const { return m_add; }

    // Whether the typed text holds more than white space.
    bool canSubmit() const;
    // Whether the outline is drawn in the accent colour: the field has the keyboard focus and
    // no row of the list is selected.
    bool isHighlighted() const;

    // Puts the keyboard focus into the text field.
    void focusField();

    // The field's prompts for a day, longest first: "What needs to be done" with the day's
    // phrase, then with its short name, then with no day at all. The field shows the first that
    // fits its width whole.
    static QStringList placeholders(const std::optional<QDate> &day, const QDate &today);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void submit();
    void refreshText();
    void refreshDay();
    void refreshPlaceholder();
    void refreshAddButton();
    void refreshOutline();

    TodosTabState &m_state;
    Density m_density;
    QLineEdit *m_field;
    QWidget *m_dayControl;
    WidthSpring *m_daySpring = nullptr;
    IconButton *m_dayButton;
    IconButton *m_clearDay;
    IconButton *m_add;
    KeyMonitor *m_keys;
    Transition *m_outline;
};
