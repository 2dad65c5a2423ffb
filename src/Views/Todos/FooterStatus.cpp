#include "Views/Todos/FooterStatus.h"

#include "Components/Theme/Symbols.h"
#include "Components/Theme/SystemColors.h"
#include "Services/Todos/TodosTabState.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

FooterStatus::FooterStatus(TodosTabState *state, int pixelSize, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_pixelSize(pixelSize)
    , m_symbol(new QLabel(this))
    , m_text(new QLabel(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    row->addWidget(m_symbol);
    row->addWidget(m_text);
    QFont textFont = font();
    textFont.setPixelSize(pixelSize);
    m_text->setFont(textFont);
    m_text->setTextFormat(Qt::PlainText);
    if (m_state) {
        for (auto signal : { &TodosTabState::todosChanged, &TodosTabState::dayChanged, &TodosTabState::todayChanged })
            connect(m_state, signal, this, &FooterStatus::refresh);
    }
    applyColors();
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
    return !m_symbol->isHidden();
}

void FooterStatus::refresh()
{
    const QList<Todo> shown = m_state ? m_state->shownTodos() : QList<Todo>();
    m_text->setText(shown.isEmpty() ? emptyText() : summary(shown));
    m_symbol->setVisible(shown.isEmpty());
}

void FooterStatus::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void FooterStatus::applyColors()
{
    const QColor secondary = SystemColors::secondary(palette());
    QPalette pal = m_text->palette();
    pal.setColor(QPalette::WindowText, secondary);
    m_text->setPalette(pal);
    const int symbolSize = m_pixelSize + 2;
    m_symbol->setPixmap(Symbols::pixmap(QStringLiteral("laptopcomputer"), symbolSize, secondary, devicePixelRatioF()));
    m_symbol->setFixedSize(symbolSize, symbolSize);
}
