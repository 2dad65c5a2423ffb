#pragma once

#include <QWidget>

class HotKeyCenter;
class SettingsNote;
class ShortcutRecorder;

// The Focus shortcut row ("Global Focus Shortcut") with its problem or information note,
// following the centre's combination and problem as they change.
class ShortcutRows final : public QWidget
{
    Q_OBJECT

public:
    explicit ShortcutRows(HotKeyCenter &focus, QWidget *parent = nullptr);

    ShortcutRecorder *focusRecorder() const { return m_focusRecorder; }
    SettingsNote *focusNote() const { return m_focusNote; }

private:
    void refreshFocus();

    HotKeyCenter &m_focus;
    ShortcutRecorder *m_focusRecorder = nullptr;
    SettingsNote *m_focusNote = nullptr;
};
