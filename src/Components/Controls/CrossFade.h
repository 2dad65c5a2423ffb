#pragma once

#include <QObject>
#include <QPointer>
#include <QVariantAnimation>

class QGraphicsOpacityEffect;
class QLabel;
class QStackedWidget;
class QWidget;

// Cross-fades from one look to another: a still of the old look fades out above the new one
// fading in, which is live and takes input at once. Switches a stack's pages, or shows a
// widget's own change (a month grid stepping on). Under reduced motion, or while nothing is on
// screen, the change is immediate.
//
//     auto *fade = new CrossFade(pages, 200);
//     fade->switchTo(pages, preview); // instead of pages->setCurrentWidget(preview)
class CrossFade final : public QObject
{
    Q_OBJECT

public:
    CrossFade(QObject *parent, int durationMs);

    void switchTo(QStackedWidget *stack, QWidget *page);
    // A widget's own change in two steps: a still of `from` now, then, once it changed,
    //     fade->capture(grid); refill(grid); fade->play(grid);
    void capture(QWidget *from);
    void play(QWidget *to);

    bool isRunning() const;

private:
    void step(qreal progress);
    void finish();

    QVariantAnimation m_animation;
    // The still of the look left behind, and the fade of the look coming in.
    QPointer<QLabel> m_cover;
    QPointer<QGraphicsOpacityEffect> m_fadeIn;
};
