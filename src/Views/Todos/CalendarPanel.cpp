#include "Views/Todos/CalendarPanel.h"

#include "Components/Controls/TintedButton.h"
#include "Components/Theme/SystemColors.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Todos/MonthCalendar.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// A one-line label that cuts its text in the middle, so that "Move “" and "” to…" stay readable
// around a long title.
class MiddleElidedLabel final : public QLabel
{
public:
    using QLabel::QLabel;

    void setFullText(const QString &text)
    {
        m_full = text;
        elide();
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() { setText(QFontMetrics(font()).elidedText(m_full, Qt::ElideMiddle, qMax(0, width()))); }

    QString m_full;
};

} // namespace

CalendarPanel::CalendarPanel(TodosTabState *state, Density density, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_density(density)
    , m_header(new QWidget(this))
    , m_moving(new MiddleElidedLabel(m_header))
    , m_cancel(new TintedButton(QStringLiteral("Cancel"), { TintedButtonStyle::Gray, 22, 12 }, m_header))
    , m_calendar(new MonthCalendar(density, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(8);

    auto *headerRow = new QHBoxLayout(m_header);
    headerRow->setContentsMargins(0, 0, 0, 0);
    headerRow->setSpacing(8);
    QFont headerFont = font();
    headerFont.setPixelSize(12);
    m_moving->setFont(headerFont);
    m_moving->setTextFormat(Qt::PlainText);
    m_moving->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    headerRow->addWidget(m_moving, 1);
    headerRow->addWidget(m_cancel);
    column->addWidget(m_header);
    column->addWidget(m_calendar);

    connect(m_cancel, &TintedButton::clicked, this, [this] {
        if (m_state)
            m_state->setMovingID(std::nullopt);
    });
    connect(m_calendar, &MonthCalendar::picked, this, [this](const QDate &day) {
        if (m_state)
            m_state->pickDay(day);
    });
    if (m_state) {
        for (auto signal : { &TodosTabState::todosChanged, &TodosTabState::dayChanged, &TodosTabState::todayChanged,
                 &TodosTabState::movingIDChanged })
            connect(m_state, signal, this, &CalendarPanel::refresh);
    }
    applyColors();
    refresh();
}

void CalendarPanel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void CalendarPanel::applyColors()
{
    QPalette pal = m_moving->palette();
    pal.setColor(QPalette::WindowText, SystemColors::secondary(palette()));
    m_moving->setPalette(pal);
}

QString CalendarPanel::movingText() const
{
    return m_movingText;
}

bool CalendarPanel::showsMovingHeader() const
{
    return !m_header->isHidden();
}

void CalendarPanel::refresh()
{
    if (!m_state)
        return;
    const std::optional<Todo> moving = m_state->movingTodo();
    m_movingText = moving ? QStringLiteral("Move “") + moving->title + QStringLiteral("” to…") : QString();
    static_cast<MiddleElidedLabel *>(m_moving)->setFullText(m_movingText);
    m_header->setVisible(moving.has_value());

    m_calendar->setToday(m_state->today());
    m_calendar->setMarks(m_state->marks());
    m_calendar->setSelection(m_state->calendarSelection());
}

void CalendarPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = m_density == Density::Compact ? 9 : 11;
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    const QColor primary = SystemColors::primary(palette());
    painter.fillPath(card, SystemColors::withOpacity(primary, 0.03));
    painter.setPen(QPen(SystemColors::withOpacity(primary, 0.08), 1));
    painter.drawPath(card);
}
