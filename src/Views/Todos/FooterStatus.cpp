#include "Views/Todos/FooterStatus.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/RollingLabel.h"
#include "Components/Controls/SymbolIcon.h"
#include "Services/Todos/TodosTabState.h"

#include <QHBoxLayout>

namespace {

constexpr int rollMs = 200;

} // namespace

FooterStatus::FooterStatus(TodosTabState &state, int pixelSize, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_symbol(new SymbolIcon(QStringLiteral("laptopcomputer"), pixelSize + 2, Theme::secondary, this))
    , m_text(new RollingLabel(Theme::secondary, this))
    , m_symbolMotion(new AppearTransition(m_symbol, { .durationMs = rollMs, .curve = QEasingCurve::OutQuad }))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    row->addWidget(m_symbol);
    row->addWidget(m_text);
    m_text->setPixelFont(pixelSize);
    m_text->setDirection(1);
    m_text->setDuration(rollMs);
    for (auto signal : { &TodosTabState::todosChanged, &TodosTabState::dayChanged, &TodosTabState::todayChanged })
        connect(&m_state, signal, this, &FooterStatus::refresh);
    refresh();
}

QString FooterStatus::summary(const QList<Todo> &todos)
{
    qsizetype done = 0;
    for (const Todo &todo : todos)
        done += todo.isCompleted ? 1 : 0;
    return QStringLiteral("%1 remaining · %2 completed").arg(todos.size() - done).arg(done);
}

QString FooterStatus::emptyText()
{
    return QStringLiteral("Saved on this computer");
}

QString FooterStatus::text() const
{
    return m_text->text();
}

bool FooterStatus::showsSymbol() const
{
    return m_symbolMotion->isShown();
}

void FooterStatus::refresh()
{
    const QList<Todo> shown = m_state.shownTodos();
    m_text->setText(shown.isEmpty() ? emptyText() : summary(shown));
    m_symbolMotion->setShown(shown.isEmpty());
}
