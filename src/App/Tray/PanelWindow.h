#pragma once

#include <QWidget>

class TrayPanel;
class QWindow;

// The panel's window: a frameless popup, so it takes the keyboard and the pointer as soon as it
// appears (after a global hot key too, with no window manager involved), is left alone by the
// window manager and so shows on every desktop. It paints the rounded card and reports what
// dismisses it to its controller.
class PanelWindow final : public QWidget
{
public:
    explicit PanelWindow(TrayPanel *owner);

    // Re-reads whether a compositor runs: translucent corners with one, a rounded mask without.
    void refreshLook();
    void resetFocusTracking() { m_hadFocus = false; }
    // Told of every change of the application's focus window while the panel is shown.
    void noteFocus(QWindow *focused);

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

    TrayPanel *m_owner;
    bool m_composited = false;
    bool m_hadFocus = false;
};
