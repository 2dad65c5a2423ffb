#include "Components/Controls/EmptyState.h"

#include "Components/Theme/SystemColors.h"
#include "Models/Todos/Days.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

EmptyState::EmptyState(Density density, QWidget *parent)
    : QWidget(parent)
    , m_density(density)
    , m_headline(new QLabel(this))
    , m_hint(new QLabel(QStringLiteral("Add a todo above."), this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addStretch(1);
    for (QLabel *label : { m_headline, m_hint }) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        column->addWidget(label);
    }
    column->addStretch(1);
    m_headline->setFont(Densities::font(density, 0, QFont::Medium));
    m_hint->setFont(Densities::font(density, -1));
    setDay(std::nullopt, QDate());
    applyColors();
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

void EmptyState::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void EmptyState::applyColors()
{
    const auto colour = [this](QLabel *label, const QColor &color) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, color);
        label->setPalette(pal);
    };
    colour(m_headline, SystemColors::secondary(palette()));
    colour(m_hint, SystemColors::tertiary(palette()));
}
