#pragma once

#include "Services/HotKeys/HotKeyCenter.h"

#include <QObject>

#include <memory>

class DesktopShortcuts;
class HotKeyBackend;
class SettingsStore;

// The two global shortcuts, New Todo and Focus, linked so that neither takes the other's
// combination. This is what views receive; it owns both centres for the life of the process.
class HotKeys final : public QObject
{
    Q_OBJECT

public:
    // The registration ids and settings keys of the pair.
    static constexpr quint32 newTodoId = 1;
    static constexpr quint32 focusId = 2;
    static inline const QString newTodoKey = QStringLiteral("hotKey");
    static inline const QString focusKey = QStringLiteral("focusHotKey");

    // Takes both centres over (they become children of this object) and links them. Both
    // registered before the link existed, so a stored clash is found here: New Todo keeps the
    // combination and Focus shows the clash.
    HotKeys(HotKeyCenter *newTodo, HotKeyCenter *focus, QObject *parent = nullptr);

    // The pair as the application makes it at launch: New Todo Shift+Super+T under "hotKey"
    // (id 1), Focus Shift+Super+F under "focusHotKey" (id 2), falling back to Ctrl+Alt+Super+F
    // when the desktop uses Shift+Super+F.
    // Their presses come through each centre's pressed().
    static std::unique_ptr<HotKeys> makeDefault(SettingsStore &settings, HotKeyBackend &backend,
        DesktopShortcuts &desktop, std::chrono::milliseconds retryInterval = HotKeyCenter::defaultRetryInterval);

    HotKeyCenter *newTodo() const { return m_newTodo; }
    HotKeyCenter *focus() const { return m_focus; }

private:
    HotKeyCenter *m_newTodo;
    HotKeyCenter *m_focus;
};
