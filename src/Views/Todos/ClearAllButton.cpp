#include "Views/Todos/ClearAllButton.h"

#include "Components/Controls/TabFade.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Theme/MotionPreference.h"
#include "Components/Theme/SystemColors.h"
#include "Services/Sound/Sounds.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

ClearAllButton::ClearAllButton(TodoStore *store, TodosTabState *state, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_state(state)
    , m_ask(new TintedButton(QStringLiteral("Clear all"), { TintedButtonStyle::Plain, 24, 12 }, this))
    , m_confirmation(new QWidget(this))
    , m_question(new QLabel(m_confirmation))
    , m_cancel(new TintedButton(QStringLiteral("Cancel"), { TintedButtonStyle::Gray, 26, 12 }, m_confirmation))
    , m_confirm(new TintedButton(QStringLiteral("Clear all"), { TintedButtonStyle::Filled, 26, 12 }, m_confirmation))
{
    auto *stack = new QHBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(m_ask);
    stack->addWidget(m_confirmation);

    auto *row = new QHBoxLayout(m_confirmation);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    QFont questionFont = font();
    questionFont.setPixelSize(12);
    m_question->setFont(questionFont);
    m_question->setTextFormat(Qt::PlainText);
    m_question->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_confirm->setDestructive(true);
    row->addWidget(m_question);
    row->addWidget(m_cancel);
    row->addWidget(m_confirm);

    m_askFade = new TabFade(m_ask);
    m_confirmationFade = new TabFade(m_confirmation);

    connect(m_ask, &TintedButton::clicked, this, [this] {
        if (m_state)
            m_state->setConfirmingClear(true);
    });
    // Escape is not bound to Cancel here: the todo input's Escape already ends the question
    // first, and a second binding of the key in the window would make Qt drop both.
    connect(m_cancel, &TintedButton::clicked, this, [this] {
        if (m_state)
            m_state->setConfirmingClear(false);
    });
    connect(m_confirm, &TintedButton::clicked, this, &ClearAllButton::clear);
    if (m_state) {
        for (auto signal :
            { &TodosTabState::confirmingClearChanged, &TodosTabState::dayChanged, &TodosTabState::todayChanged })
            connect(m_state, signal, this, &ClearAllButton::refresh);
    }
    applyColors();
    refresh();
}

void ClearAllButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void ClearAllButton::applyColors()
{
    QPalette pal = m_question->palette();
    pal.setColor(QPalette::WindowText, SystemColors::secondary(palette()));
    m_question->setPalette(pal);
}

QString ClearAllButton::question() const
{
    return m_question->text();
}

bool ClearAllButton::isConfirming() const
{
    return m_state && m_state->isConfirmingClear();
}

void ClearAllButton::refresh()
{
    const QString phrase = m_state ? m_state->dayPhrase() : QString();
    m_ask->setToolTip(QStringLiteral("Remove every todo") + phrase);
    m_question->setText(QStringLiteral("Clear all todos") + phrase + QStringLiteral("?"));
    const bool confirming = isConfirming();
    if (confirming == !m_confirmation->isHidden() && confirming == m_ask->isHidden())
        return;
    m_ask->setVisible(!confirming);
    m_confirmation->setVisible(confirming);
    if (isVisible())
        (confirming ? m_confirmationFade : m_askFade)->play(MotionPreference::reducesMotion());
}

void ClearAllButton::clear()
{
    if (!m_state)
        return;
    // Exactly what the list shows now, in one write.
    QList<QUuid> ids;
    for (const Todo &todo : m_state->shownTodos())
        ids.append(todo.id);
    if (m_store)
        m_store->remove(ids);
    Sounds::playPop();
    m_state->setConfirmingClear(false);
}
