#pragma once

#include <QAbstractButton>

class Transition;

// The behaviour the capsule-shaped buttons share: only the capsule is clickable; under an
// enabled pointer a highlight eases in over 0.12 s; pressing dims the button to 0.55 over
// 0.10 s; the pointing hand shows while it is enabled. A click takes no keyboard focus, so it
// leaves the focus in the text field the user is typing in; a view lets Tab reach the button
// with setFocusPolicy(Qt::TabFocus), and Space or Return then presses it. Subclasses paint,
// reading highlight() and opacity(), and draw the focus ring while the keyboard moved focus.
class CapsuleButton : public QAbstractButton
{
    Q_OBJECT

public:
    // Whether the hover look shows (the pointer is over the button and it is enabled), ignoring
    // the easing.
    bool isHighlighted() const;
    // Whether the click being reported came from a key (Space or Return), not the pointer: a
    // menu the click opens then highlights its first entry and opens beside the button.
    bool isClickFromKeyboard() const { return m_keyboardClick; }

protected:
    explicit CapsuleButton(QWidget *parent = nullptr);

    // The eased hover look, from 0 to 1.
    qreal highlight() const;
    // The opacity to paint with: `resting` eased towards the pressed opacity while pressed.
    qreal opacity(qreal resting = 1.0) const;

    bool hitButton(const QPoint &pos) const override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    bool m_hovered = false;
    bool m_keyboardClick = false;
    Transition *m_highlight;
    Transition *m_press;
};
