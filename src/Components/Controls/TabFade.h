#pragma once

#include <QPointer>
#include <QWidget>

class QGraphicsOpacityEffect;
class QVariantAnimation;

// Fades a container's tab content in after each switch of tab: the content is blanked at once
// and rises to full opacity over 0.22 s. With reduced motion the content shows at once. The
// helper is a child of the content; the opacity effect exists only while a fade runs.
//
//     auto *fade = new TabFade(stack);
//     connect(surface, &Surface::tabChanged, fade, [fade] { fade->play(MotionPreference::reducesMotion()); });
class TabFade final : public QObject
{
    Q_OBJECT

public:
    explicit TabFade(QWidget *content);

    // Restarts the fade; a fade already running starts again from blank.
    void play(bool reducesMotion = false);
    bool isRunning() const;

private:
    void finish();

    QWidget &m_content;
    QPointer<QGraphicsOpacityEffect> m_effect;
    QVariantAnimation *m_animation;
};
