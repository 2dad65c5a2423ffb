#pragma once

#include <QObject>
#include <QVariantAnimation>

class QWidget;

// Eases a widget's width to its new size hint after its content changed, with the eased curve
// that stands for a spring, so that a control growing a label does not jump. The widget keeps
// a fixed width only while it moves. Immediate under reduced motion or off screen.
//
//     auto *spring = new WidthSpring(dayControl, 200);
//     spring->hold(); dayButton->setText(dayName); spring->follow(); // around each change
class WidthSpring final : public QObject
{
    Q_OBJECT

public:
    WidthSpring(QWidget *widget, int durationMs);

    // Keeps the width shown now while the content changes: showing a child lays out every
    // layout above it at once, which would widen the widget before follow() sets off.
    void hold();
    // Moves from the width shown now to the size hint's.
    void follow();
    bool isRunning() const;

private:
    void release();

    QWidget &m_widget;
    QVariantAnimation m_animation;
};
