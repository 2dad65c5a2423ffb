#pragma once

#include <QWidget>

class HotKeyCenter;
class HotKeys;
class QLabel;
class SettingsNote;
class ShortcutRecorder;

// The two global shortcut rows of the settings: New Todo ("Global Shortcut") with its problem
// line and the note under its section, and Focus ("Global Focus Shortcut") with its problem or
// information note. Each follows its centre's combination and problem as they change.
class ShortcutRows final : public QWidget
{
    Q_OBJECT

public:
    explicit ShortcutRows(HotKeys *hotKeys, QWidget *parent = nullptr);

    ShortcutRecorder *newTodoRecorder() const { return m_newTodoRecorder; }
    ShortcutRecorder *focusRecorder() const { return m_focusRecorder; }
    SettingsNote *newTodoProblem() const { return m_newTodoProblem; }
    SettingsNote *focusNote() const { return m_focusNote; }
    QLabel *newTodoFooter() const { return m_newTodoFooter; }

    // What the New Todo section's footer says about the shortcut in force.
    static QString shortcutNote(const HotKeyCenter &center);

private:
    void refreshNewTodo();
    void refreshFocus();

    HotKeyCenter *m_newTodo = nullptr;
    HotKeyCenter *m_focus = nullptr;
    ShortcutRecorder *m_newTodoRecorder = nullptr;
    ShortcutRecorder *m_focusRecorder = nullptr;
    SettingsNote *m_newTodoProblem = nullptr;
    SettingsNote *m_focusNote = nullptr;
    QLabel *m_newTodoFooter = nullptr;
};
