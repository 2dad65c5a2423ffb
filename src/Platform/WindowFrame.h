#pragma once

#include <QMargins>
#include <QObject>

#include <memory>
#include <optional>

class QWindow;

// The frame the window manager draws around one top-level window (its title bar and borders), in
// the window's own units. The window manager sets it as it first shows the window, and it need
// not move the window to make room for it: whoever keeps the window on the screen has to hear of
// it. Where the desktop does not tell it (outside X11, or a window manager that does not say), it
// is the toolkit's own idea of the frame.
class WindowFrame final : public QObject
{
    Q_OBJECT

public:
    // `window` must have its native window already (QWidget::winId()).
    explicit WindowFrame(QWindow *window, QObject *parent = nullptr);
    ~WindowFrame() override;

    // The frame as the window manager last set it.
    QMargins margins() const;
    // Asks the window manager, before the window is shown, for the frame it will give it, so
    // that it can be placed whole at its first showing. Returns the best guess at once: the
    // frame it gave this window or the last one of ours; `changed` follows with the answer.
    QMargins request();

    // Asks the window manager once, at start-up, for the frame it gives an ordinary window, so
    // that the first window shown later is placed whole before its own answer comes.
    static void learnUsualFrame();

Q_SIGNALS:
    // The window manager set the window's frame, or set it anew.
    void changed();

private:
    QMargins inUnits(const std::optional<QMargins> &pixels) const;

    class X11;
    QWindow *m_window;
    std::unique_ptr<X11> m_x;
};
