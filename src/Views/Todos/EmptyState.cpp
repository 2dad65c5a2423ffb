#include "Views/Todos/EmptyState.h"

#include "Components/Controls/ToneLabel.h"
#include "Models/Todos/Days.h"

#include <QVBoxLayout>

EmptyState::EmptyState(Density density, QWidget *parent)
    : QWidget(parent)
    , m_headline(new ToneLabel(Theme::secondary, this))
    , m_hint(new ToneLabel(QStringLiteral("Add a todo above."), Theme::tertiary, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addStretch(1);
    for (ToneLabel *label : { m_headline, m_hint }) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        column->addWidget(label);
    }
    column->addStretch(1);
    m_headline->setFont(Densities::font(density, 0, QFont::Medium));
    m_hint->setFont(Densities::font(density, -1));
    setDay(std::nullopt, QDate());
}

void EmptyState::setDay(const std::optional<QDate> &day, const QDate &today)
{
    if (!day) {
        m_headline->setText(QStringLiteral("Nothing here yet."));
        return;
    }
    m_headline->setText(QStringLiteral("Nothing") + Days::phrase(day, today) + QStringLiteral(" yet."));
}

QString EmptyState::headline() const
{
    return m_headline->text();
}

QString EmptyState::hint() const
{
    return m_hint->text();
}
