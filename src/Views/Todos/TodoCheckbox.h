#pragma once

#include <QAbstractButton>

class Transition;

// The square check button at the leading edge of a todo row. It shows whether the todo is
// done and reports clicks; it never changes its own state: the host toggles the todo and
// then calls setChecked() with the todo's new state, which strokes the check mark in (or
// takes it back) with a short springy animation.
//
// The box is `boxSize` square (16 in the panel, 18 in the window) and centred in a widget
// that leaves shadowMargin() around it for the shadow of a checked box; only the box takes
// clicks. The host supplies the tooltip and the accessible name and description.
class TodoCheckbox final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit TodoCheckbox(qreal boxSize = 16, QWidget *parent = nullptr);

    qreal boxSize() const { return m_boxSize; }
    void setBoxSize(qreal size);
    static constexpr int shadowMargin() { return 4; }

    // The drawn box inside the widget.
    QRectF boxRect() const;
    // Whether the pointer is over the enabled box, ignoring the easing.
    bool isHovered() const { return m_hovered; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    bool event(QEvent *event) override;
    // A click reports; the host decides the new state.
    void nextCheckState() override { }

private:
    qreal m_boxSize;
    bool m_hovered = false;
    Transition *m_hover;
    Transition *m_check;
    Transition *m_press;
};
