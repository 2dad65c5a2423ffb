#include "Views/Todos/ClearAllButton.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Services/Sound/SoundBank.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>

namespace {

constexpr int spacing = 8;
constexpr int wrappedLineSpacing = 6;
// The spring of a change between asking and confirming.
constexpr int switchMs = 180;

} // namespace

ClearAllButton::ClearAllButton(TodoStore &store, TodosTabState &state, SoundBank &sounds, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_sounds(sounds)
    , m_state(state)
    , m_ask(new TintedButton(QStringLiteral("Clear all"), { TintedButtonStyle::Plain, 24, 12 }, this))
    , m_confirmation(new QWidget(this))
    , m_grid(new QGridLayout(m_confirmation))
    , m_question(new ToneLabel(Theme::secondary, m_confirmation))
    , m_cancel(new TintedButton(QStringLiteral("Cancel"), { TintedButtonStyle::Gray, 26, 12 }, m_confirmation))
    , m_confirm(new TintedButton(QStringLiteral("Clear all"), { TintedButtonStyle::Filled, 26, 12 }, m_confirmation))
{
    auto *stack = new QHBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(m_ask);
    stack->addWidget(m_confirmation);

    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(spacing);
    m_grid->setVerticalSpacing(wrappedLineSpacing);
    m_question->setPixelFont(12);
    m_question->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_confirm->setDestructive(true);
    for (TintedButton *button : { m_ask, m_cancel, m_confirm })
        button->setFocusPolicy(Qt::TabFocus);

    m_confirmation->hide();
    m_askMotion = new AppearTransition(m_ask, { .durationMs = switchMs });
    // The question grows in from just under its size as it fades in.
    m_confirmationMotion = new AppearTransition(m_confirmation, { .durationMs = switchMs, .scaleFrom = 0.97 });

    connect(m_ask, &TintedButton::clicked, this, [this] { m_state.setConfirmingClear(true); });
    // Escape is not bound to Cancel here: the todo input's Escape already ends the question
    // first, and a second binding of the key in the window would make Qt drop both.
    connect(m_cancel, &TintedButton::clicked, this, [this] { m_state.setConfirmingClear(false); });
    connect(m_confirm, &TintedButton::clicked, this, &ClearAllButton::clear);
    for (auto signal :
        { &TodosTabState::confirmingClearChanged, &TodosTabState::dayChanged, &TodosTabState::todayChanged })
        connect(&m_state, signal, this, &ClearAllButton::refresh);
    arrange();
    refresh();
}

void ClearAllButton::setRoom(int width, Qt::Alignment wrappedAlignment)
{
    if (width == m_room && wrappedAlignment == m_wrappedAlignment)
        return;
    m_room = width;
    m_wrappedAlignment = wrappedAlignment;
    arrange();
}

void ClearAllButton::arrange()
{
    const int oneLine
        = m_question->sizeHint().width() + m_cancel->sizeHint().width() + m_confirm->sizeHint().width() + 2 * spacing;
    const bool wrapped = oneLine > m_room;
    if (wrapped == m_wrapped && m_grid->count() > 0)
        return;
    m_wrapped = wrapped;
    for (QWidget *widget :
        { static_cast<QWidget *>(m_question), static_cast<QWidget *>(m_cancel), static_cast<QWidget *>(m_confirm) })
        m_grid->removeWidget(widget);
    if (wrapped) {
        const bool centred = m_wrappedAlignment & Qt::AlignHCenter;
        m_grid->addWidget(m_question, 0, 0, 1, 4, m_wrappedAlignment | Qt::AlignVCenter);
        m_grid->addWidget(m_cancel, 1, 1);
        m_grid->addWidget(m_confirm, 1, 2);
        m_grid->setColumnStretch(0, 1);
        m_grid->setColumnStretch(3, centred ? 1 : 0);
    } else {
        m_grid->addWidget(m_question, 0, 0, Qt::AlignVCenter);
        m_grid->addWidget(m_cancel, 0, 1);
        m_grid->addWidget(m_confirm, 0, 2);
        m_grid->setColumnStretch(0, 0);
        m_grid->setColumnStretch(3, 0);
    }
    updateGeometry();
}

QString ClearAllButton::question() const
{
    return m_question->text();
}

bool ClearAllButton::isConfirming() const
{
    return m_state.isConfirmingClear();
}

void ClearAllButton::refresh()
{
    const QString phrase = m_state.dayPhrase();
    m_ask->setToolTip(QStringLiteral("Remove every todo") + phrase);
    m_question->setText(QStringLiteral("Clear all todos") + phrase + QStringLiteral("?"));
    arrange();
    const bool confirming = isConfirming();
    if (confirming == !m_confirmation->isHidden() && confirming == m_ask->isHidden())
        return;
    // The keyboard's focus on the side that goes moves to the side that comes, not out of the footer.
    const QWidget *focused = QApplication::focusWidget();
    const bool hadFocus = focused && (focused == m_ask || m_confirmation->isAncestorOf(focused));
    // The side that goes leaves its place at once; the side that comes eases in.
    (confirming ? m_askMotion : m_confirmationMotion)->jumpTo(false);
    (confirming ? m_confirmationMotion : m_askMotion)->setShown(true);
    if (hadFocus)
        (confirming ? m_cancel : m_ask)->setFocus(Qt::TabFocusReason);
}

void ClearAllButton::clear()
{
    // Exactly what the list shows now, in one write.
    QList<QUuid> ids;
    for (const Todo &todo : m_state.shownTodos())
        ids.append(todo.id);
    m_store.remove(ids);
    m_sounds.play(SoundBank::Sound::Pop);
    m_state.setConfirmingClear(false);
}
