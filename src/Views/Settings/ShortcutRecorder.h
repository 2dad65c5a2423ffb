#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class HotKeyCenter;
class IconButton;
class QAbstractButton;
class QKeyEvent;

// Shows and changes one global shortcut: a key cap with the centre's combination; a click
// records the next valid key press as the new shortcut (Escape cancels, Delete removes it),
// and a trailing button removes the standard shortcut or puts the standard one back.
// While recording, the centre's hot key is suspended and the keyboard is taken, so every
// press (the current shortcut, the other shortcut, the application's own key equivalents)
// reaches the recorder; the modifier keys held so far are shown live. Recording ends when the
// window goes inactive or the control is hidden. The centre's problem and note are shown by
// the host, not here.
//
//     auto *recorder = new ShortcutRecorder(hotKeys->newTodo(), pane);
class ShortcutRecorder final : public QWidget
{
    Q_OBJECT

public:
    explicit ShortcutRecorder(HotKeyCenter *center, QWidget *parent = nullptr);
    ~ShortcutRecorder() override;

    bool isRecording() const { return m_recording; }
    // Names of the modifier keys held while recording ("Ctrl+Shift+", "" when none).
    QString heldModifiers() const { return m_heldModifiers; }
    // What the key cap reads: the combination, "None", the held modifiers or "Type Shortcut".
    QString label() const;

    // Starts recording (stopping any other recorder that is); nothing when already recording.
    void start();
    // Ends recording and gives the centre its hot key back; nothing when not recording.
    void stop();

    // Played for a press that makes no valid shortcut (QApplication::beep() unless replaced).
    void setBeep(std::function<void()> beep) { m_beep = std::move(beep); }

    QAbstractButton *field() const;
    IconButton *trailingButton() const { return m_trailing; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // True when the event is used up.
    bool handleKey(QKeyEvent *event);
    void refresh();

    QPointer<HotKeyCenter> m_center;
    QAbstractButton *m_field;
    IconButton *m_trailing;
    bool m_recording = false;
    QString m_heldModifiers;
    std::function<void()> m_beep;
};
