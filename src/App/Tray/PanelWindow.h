#pragma once

#include <QWidget>

class QWindow;

// The panel's window: a frameless popup, so it takes the keyboard and the pointer as soon as it
// appears (after a global hot key too, with no window manager involved), is left alone by the
// window manager and so shows on every desktop. It paints the rounded card and reports what
// dismisses it to its controller.
class PanelWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit PanelWindow(int cornerRadius);

    // Re-reads whether a compositor runs: translucent corners with one, a rounded mask without.
    void refreshLook();
    void resetFocusTracking() { m_hadFocus = false; }
    // From its showing until its entrance ends.
    void setEntering(bool entering) { m_entering = entering; }
    // Told of every change of the application's focus window while the panel is shown.
    void noteFocus(QWindow *focused);
    // Draws the card and lays out its view only this high, the rest of the window left clear, so
    // that the look of a shorter window is drawn before the window is made shorter; 0 for the
    // window's whole height.
    void holdCardHeight(int height);
    // How high the card is drawn now.
    int cardHeight() const { return cardRect().height(); }

Q_SIGNALS:
    // Its layout asked for a new size.
    void contentChanged();
    // Escape that no view inside took.
    void cancelled();
    void pressedOutside(const QPoint &globalPosition, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // Closed or hidden by anything, the system included.
    void closedBySystem();
    // A real window of another kind got the keyboard after the panel had it.
    void lostFocus();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool event(QEvent *event) override;

private:
    void updateMask();
    QRect cardRect() const;

    int m_cornerRadius;
    bool m_composited = false;
    bool m_hadFocus = false;
    bool m_entering = false;
    int m_cardHeight = 0;
};
