#pragma once

#include <QObject>
#include <QWidget>

#include <functional>
#include <optional>

// Shows the pointing-hand cursor over a clickable control while it can act: enabled and, when
// a condition is given, while the condition holds (a tab segment that is not selected, a day
// that is not past). Qt keeps a cursor per widget and the X server shows it whether or not the
// application is active, so the helper only sets the control's cursor and puts back the one it
// had before (a text field's I-beam); it never touches the cursor of a neighbour.
//
//     PointingHandCursor::apply(button);                                   // while enabled
//     auto *hand = PointingHandCursor::apply(segment, [=] { return !segment->isChecked(); });
//     hand->refresh();                                                    // after the condition changed
//
// The helper is a child of the control and lives as long as it.
class PointingHandCursor final : public QObject
{
    Q_OBJECT

public:
    using Condition = std::function<bool()>;

    // Attaches the helper (or replaces the condition of one already attached) and sets the
    // cursor for the control's current state.
    static PointingHandCursor *apply(QWidget *control, Condition isActive = {});
    // The helper attached to a control, or null.
    static PointingHandCursor *of(const QWidget *control);

    // Re-evaluates the condition; call after something it reads has changed. Enabling and
    // disabling the control are noticed without a call.
    void refresh();
    // Whether the control shows the hand now.
    bool isShowingHand() const { return m_showingHand; }

    // On X11 any client may set its cursor while another application is active, so there is
    // nothing to allow; kept so that start-up reads the same on every platform.
    static void allowCursorChangesInBackground() { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PointingHandCursor(QWidget *control, Condition isActive);

    QWidget &m_control;
    Condition m_isActive;
    bool m_showingHand = false;
    std::optional<QCursor> m_ownCursor;
};
