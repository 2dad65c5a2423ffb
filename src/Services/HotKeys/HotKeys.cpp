#include "Services/HotKeys/HotKeys.h"

HotKeys::HotKeys(HotKeyCenter *newTodo, HotKeyCenter *focus, QObject *parent)
    : QObject(parent)
    , m_newTodo(newTodo)
    , m_focus(focus)
{
    m_newTodo->setParent(this);
    m_focus->setParent(this);

    // Both are children of this object and go together.
    m_newTodo->setOther(*m_focus);
    m_focus->setOther(*m_newTodo);

    const auto focusCombo = m_focus->combo();
    const auto newTodoCombo = m_newTodo->combo();
    if (focusCombo && newTodoCombo && focusCombo->sameKeys(*newTodoCombo))
        m_focus->reregister();
}

std::unique_ptr<HotKeys> HotKeys::makeDefault(
    SettingsStore &settings, HotKeyBackend &backend, DesktopShortcuts &desktop, std::chrono::milliseconds retryInterval)
{
    auto *newTodo = new HotKeyCenter(newTodoId, QStringLiteral("New Todo"), newTodoKey, KeyCombo::standard(),
        std::nullopt, settings, backend, desktop, nullptr, retryInterval);
    auto *focus = new HotKeyCenter(focusId, QStringLiteral("Focus"), focusKey, KeyCombo::focus(),
        KeyCombo::focusFallback(), settings, backend, desktop, nullptr, retryInterval);
    return std::make_unique<HotKeys>(newTodo, focus);
}
