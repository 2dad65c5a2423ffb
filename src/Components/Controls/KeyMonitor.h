#pragma once

#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

// Offers every key press made in a view's window to the view's handler before anything else
// sees it: before Qt resolves shortcuts (QShortcut, QAction) and before the focused widget,
// text fields included. A handler that returns true swallows the key: no shortcut fires and
// no widget receives it. Keys typed in other windows are never offered.
//
//     auto *keys = new KeyMonitor(listView);
//     keys->setHandler([this](const QKeyEvent &key) { return key.key() == Qt::Key_Down && moveDown(); });
//
// The monitor is a child of its view and offers keys only while the view is visible, so a view
// on a hidden tab hears nothing. Each press is offered once, although Qt delivers it twice
// (a ShortcutOverride, then the KeyPress) and again to each parent of a widget that ignores it;
// the handler sees the event of whichever comes first, so it reads key(), modifiers() and
// text() and does not care about type(). Key releases and lone modifier changes are not offered.
// A context menu asked for from the keyboard (Qt sends one for the Menu key) is offered as a
// press of Qt::Key_Menu; swallowed, no widget opens its own menu.
// With several monitors in one window the one created last is asked first; each is asked until
// one swallows the key. Space, Return and Enter pressed on a focused button are not offered:
// they press that button; nor are the keys a focused control named with leaveKeysTo().
class KeyMonitor final : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<bool(const QKeyEvent &key)>;

    explicit KeyMonitor(QWidget *view, Handler handler = {});
    ~KeyMonitor() override;

    // Replaces the handler; an empty handler swallows nothing.
    void setHandler(Handler handler);

    // A control with keys of its own (a grid the arrows move in) names them: while it has the
    // focus, no monitor is offered them when pressed without Shift, Ctrl, Alt or Meta.
    static void leaveKeysTo(QWidget *control, const QList<int> &keys);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Press
    {
        ulong timestamp = 0;
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat = false;

        bool matches(const QKeyEvent &event) const;
    };

    bool offers(QWidget *receiver) const;
    bool offer(const QKeyEvent &key);

    QPointer<QWidget> m_view;
    Handler m_handler;
    // The press whose ShortcutOverride was offered, waiting for its KeyPress.
    std::optional<Press> m_pending;
    bool m_pendingSwallowed = false;
    // The event being delivered along a parent chain, with the last widget it reached.
    const QEvent *m_delivering = nullptr;
    QPointer<QWidget> m_deliveredTo;
    bool m_deliveringSwallowed = false;
};
