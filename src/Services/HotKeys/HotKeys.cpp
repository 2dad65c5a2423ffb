#include "Services/HotKeys/HotKeys.h"

#include <QPointer>

HotKeys::HotKeys(HotKeyCenter *newTodo, HotKeyCenter *focus, QObject *parent)
    : QObject(parent)
    , m_newTodo(newTodo)
    , m_focus(focus)
{
    m_newTodo->setParent(this);
    m_focus->setParent(this);

    m_newTodo->setOtherCombo([other = QPointer<HotKeyCenter>(m_focus)]() -> std::optional<KeyCombo> {
        return other ? other->combo() : std::nullopt;
    });
    m_focus->setOtherCombo([other = QPointer<HotKeyCenter>(m_newTodo)]() -> std::optional<KeyCombo> {
        return other ? other->combo() : std::nullopt;
    });

    const auto focusCombo = m_focus->combo();
    const auto newTodoCombo = m_newTodo->combo();
    if (focusCombo && newTodoCombo && focusCombo->sameKeys(*newTodoCombo))
        m_focus->reregister();
}

std::unique_ptr<HotKeys> HotKeys::makeDefault(SettingsStore *settings, HotKeyBackend *backend,
    HotKeyCenter::Action newTodoAction, HotKeyCenter::Action focusAction, std::chrono::milliseconds retryInterval)
{
    auto *newTodo = new HotKeyCenter(newTodoId, QStringLiteral("New Todo"), newTodoKey, KeyCombo::standard(),
        std::nullopt, settings, backend, std::move(newTodoAction), nullptr, retryInterval);
    auto *focus = new HotKeyCenter(focusId, QStringLiteral("Focus"), focusKey, KeyCombo::focus(),
        KeyCombo::focusFallback(), settings, backend, std::move(focusAction), nullptr, retryInterval);
    return std::make_unique<HotKeys>(newTodo, focus);
}
