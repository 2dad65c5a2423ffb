#include "Views/Todos/MonthCalendar.h"

#include "Components/Controls/CrossFade.h"
#include "Components/Controls/KeyMonitor.h"
#include "Components/Controls/PointingHandCursor.h"
#include "Components/Controls/RollingLabel.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"
#include "Models/Todos/Days.h"
#include "Models/Todos/MonthGrid.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>

#include <optional>

namespace {

// How long a step of month takes: the title's roll and the grid's change.
constexpr int monthStepMs = 200;

} // namespace

// One day of the grid: its number on a circle, and the dot of its todos underneath.
class DayCell final : public QAbstractButton
{
public:
    DayCell(Density density, QWidget *parent)
        : QAbstractButton(parent)
        , m_density(density)
        , m_hover(new Transition(this, 120, QEasingCurve::OutQuad))
        , m_selected(new Transition(this, 180, QEasingCurve::OutCubic))
    {
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        PointingHandCursor::apply(this);
    }

    QDate day() const { return m_day; }

    void display(
        const QDate &day, const QDate &month, const QDate &today, const QDate &selection, std::optional<bool> mark)
    {
        const bool dayChanged = day != m_day;
        m_day = day;
        m_isInMonth = day.year() == month.year() && day.month() == month.month();
        m_isToday = day == today;
        m_isPast = day < today;
        m_mark = mark;
        setObjectName(QStringLiteral("day-") + Days::isoString(day));
        setEnabled(!m_isPast);
        const bool selected = day == selection;
        // A cell that now shows another day takes its selection at once; only a change of the
        // selection on the same day is animated.
        if (dayChanged)
            m_selected->jumpTo(selected);
        else
            m_selected->setOn(selected);
        setAccessibleName(QLocale().toString(day, QLocale::LongFormat));
        setAccessibleDescription(!mark ? QString() : *mark ? QStringLiteral("Has todos") : QStringLiteral("All done"));
        update();
    }

    bool isSelected() const { return m_selected->isOn(); }
    bool isToday() const { return m_isToday; }

    // The day the keyboard is on, while the grid has the focus.
    void setCurrent(bool current)
    {
        if (current == m_current)
            return;
        m_current = current;
        update();
    }
    bool isCurrent() const { return m_current; }

    static qreal circle(Density density) { return density == Density::Compact ? 24 : 28; }

    QSize sizeHint() const override
    {
        const int side = int(circle(m_density));
        return QSize(side, side + 2 + 4);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
            m_hover->setOn(event->type() == QEvent::HoverEnter);
        return QAbstractButton::event(event);
    }

    void paintEvent(QPaintEvent *) override
    {
        const QPalette &pal = palette();
        const auto color = [&pal](Theme::Tone tone) { return Theme::color(tone, pal); };
        const QColor accent = color(Theme::accent);
        const qreal selected = m_selected->value();
        const qreal hover = m_isPast ? 0 : m_hover->value();

        Theme::Tone resting = Theme::secondary;
        if (m_isPast)
            resting = Theme::pastDay;
        else if (m_isToday)
            resting = Theme::accent;
        else if (m_isInMonth)
            resting = Theme::primary;
        const QColor foreground = Theme::blend(resting, { Theme::Ink::White }, selected, pal);
        const QColor fill = Theme::blend(Theme::dayWash.times(hover), Theme::accent, selected, pal);

        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = circle(m_density);
        const QRectF disc(width() / 2.0 - side / 2, 0, side, side);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawEllipse(disc);
        if (m_isToday && selected < 1) {
            painter.setPen(QPen(color(Theme::todayRing.times(1 - selected)), Theme::lineWidth));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
        }

        QFont number
            = Densities::font(m_density, -1, (m_isToday || m_selected->isOn()) ? QFont::DemiBold : QFont::Normal);
        painter.setFont(number);
        painter.setPen(foreground);
        painter.drawText(disc, Qt::AlignCenter, QLocale().toString(m_day.day()));

        if (m_mark && !m_isPast) {
            const QColor dot = *m_mark ? accent : color(Theme::doneMark);
            painter.setPen(Qt::NoPen);
            painter.setBrush(dot);
            painter.drawEllipse(QRectF(width() / 2.0 - 2, side + 2, 4, 4));
        }
        if (m_current && window()->testAttribute(Qt::WA_KeyboardFocusChange))
            Theme::paintFocusRing(painter, disc, -1, selected >= 0.5, pal);
    }

private:
    Density m_density;
    Transition *m_hover;
    Transition *m_selected;
    QDate m_day;
    bool m_isInMonth = false;
    bool m_isToday = false;
    bool m_isPast = false;
    bool m_current = false;
    std::optional<bool> m_mark;
};

MonthCalendar::MonthCalendar(Density density, QWidget *parent)
    : QWidget(parent)
    , m_density(density)
    , m_today(Days::dayOf(QDateTime::currentDateTime()))
    , m_selection(m_today)
    , m_title(new RollingLabel(Theme::primary, this))
    , m_previous(new TintedButton(QString(), { TintedButtonStyle::Plain, 22, 12, true }, this))
    , m_next(new TintedButton(QString(), { TintedButtonStyle::Plain, 22, 12, true }, this))
    , m_grid(new QWidget(this))
    , m_gridFade(new CrossFade(this, monthStepMs))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto *header = new QHBoxLayout;
    header->setSpacing(2);
    m_title->setFont(Densities::font(density, -1, QFont::DemiBold));
    m_title->setObjectName(QStringLiteral("monthTitle"));
    // The title counts up whichever way the month steps.
    m_title->setDirection(1);
    m_title->setDuration(monthStepMs);
    header->addWidget(m_title);
    header->addStretch(1);
    const auto setUpArrow = [](TintedButton *button, const QString &symbol, const QString &label) {
        button->setSymbol(symbol);
        button->setSymbolSize(10);
        button->setToolTip(label);
        button->setAccessibleName(label);
        button->setObjectName(symbol);
        button->setFocusPolicy(Qt::TabFocus);
    };
    setUpArrow(m_previous, QStringLiteral("chevron.left"), QStringLiteral("Previous month"));
    setUpArrow(m_next, QStringLiteral("chevron.right"), QStringLiteral("Next month"));
    header->addWidget(m_previous);
    header->addWidget(m_next);
    layout->addLayout(header);
    connect(m_previous, &QAbstractButton::clicked, this, [this] { stepMonth(-1); });
    connect(m_next, &QAbstractButton::clicked, this, [this] { stepMonth(1); });

    auto *weekdays = new QHBoxLayout;
    weekdays->setSpacing(0);
    for (int i = 0; i < 7; ++i) {
        auto *label = new ToneLabel(Theme::secondary, this);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(Densities::font(density, -3, QFont::Medium));
        label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        weekdays->addWidget(label);
        m_weekdays.append(label);
    }
    layout->addLayout(weekdays);

    auto *grid = new QVBoxLayout(m_grid);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    for (int r = 0; r < 6; ++r) {
        auto *row = new QWidget(m_grid);
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(0);
        for (int c = 0; c < 7; ++c) {
            auto *cell = new DayCell(density, row);
            rowLayout->addWidget(cell);
            m_cells.append(cell);
            connect(cell, &QAbstractButton::clicked, this, [this, cell] {
                m_current = cell->day();
                showCurrent();
                Q_EMIT picked(cell->day());
            });
        }
        grid->addWidget(row);
        m_rows.append(row);
    }
    layout->addWidget(m_grid);
    // One Tab stop for the whole grid; the list's keys give way to its own while it has the focus.
    m_grid->setFocusPolicy(Qt::TabFocus);
    m_grid->setAccessibleName(QStringLiteral("Days"));
    m_grid->installEventFilter(this);
    KeyMonitor::leaveKeysTo(m_grid,
        { Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter });
    refresh();
}

MonthCalendar::~MonthCalendar() = default;

void MonthCalendar::setToday(const QDate &today)
{
    if (today == m_today)
        return;
    m_today = today;
    refresh();
}

void MonthCalendar::setSelection(const QDate &selection)
{
    if (selection == m_selection)
        return;
    m_selection = selection;
    m_monthOffset = 0;
    // The keyboard goes on from the day the host highlights, as the grid shows its month.
    m_current = selection;
    refresh();
}

void MonthCalendar::setMarks(const QMap<QDate, bool> &marks)
{
    if (marks == m_marks)
        return;
    m_marks = marks;
    refresh();
}

QDate MonthCalendar::month() const
{
    return MonthGrid::month(m_selection, m_monthOffset);
}

QList<QList<QDate>> MonthCalendar::weeks() const
{
    return MonthGrid::rows(month(), m_today);
}

QString MonthCalendar::title() const
{
    return MonthGrid::title(month());
}

bool MonthCalendar::canGoBack() const
{
    return MonthGrid::canGoBack(month(), m_today);
}

void MonthCalendar::stepMonth(int months)
{
    if (months < 0 && !canGoBack())
        return;
    m_gridFade->capture(m_grid);
    m_monthOffset += months;
    refresh();
    m_gridFade->play(m_grid);
}

void MonthCalendar::showSelectedMonth()
{
    if (m_monthOffset == 0)
        return;
    m_monthOffset = 0;
    refresh();
}

bool MonthCalendar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            showCurrent();
            break;
        case QEvent::KeyPress:
            if (handleKey(static_cast<const QKeyEvent &>(*event)))
                return true;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool MonthCalendar::handleKey(const QKeyEvent &key)
{
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const int forward = layoutDirection() == Qt::RightToLeft ? -1 : 1;
    switch (key.key()) {
    case Qt::Key_Left:
        moveCurrent(-forward);
        return true;
    case Qt::Key_Right:
        moveCurrent(forward);
        return true;
    case Qt::Key_Up:
        moveCurrent(-7);
        return true;
    case Qt::Key_Down:
        moveCurrent(7);
        return true;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Held down, the key would pick the day again and again, undoing its own filter.
        if (m_current.isValid() && !key.isAutoRepeat())
            Q_EMIT picked(m_current);
        return true;
    default:
        return false;
    }
}

QDate MonthCalendar::dayInShownMonth(const QDate &wanted) const
{
    const QDate first = month();
    const auto fits = [&first, this](const QDate &day) {
        return day.isValid() && day >= m_today && day.year() == first.year() && day.month() == first.month();
    };
    if (fits(wanted))
        return wanted;
    if (fits(m_selection))
        return m_selection;
    const QDate start = qMax(first, m_today);
    return fits(start) ? start : QDate();
}

void MonthCalendar::moveCurrent(int days)
{
    if (!m_current.isValid())
        return;
    const QDate target = Days::adding(days, m_current);
    // Past days can't be picked, so the keyboard stops at today.
    if (target < m_today)
        return;
    const QDate first = month();
    const int months = (target.year() - first.year()) * 12 + target.month() - first.month();
    if (months < 0 && !canGoBack())
        return;
    m_current = target;
    if (months != 0)
        stepMonth(months);
    else
        showCurrent();
}

void MonthCalendar::showCurrent()
{
    const bool focused = m_grid->hasFocus();
    DayCell *current = nullptr;
    for (DayCell *cell : std::as_const(m_cells)) {
        const bool isCurrent = focused && cell->parentWidget()->isVisibleTo(m_grid) && cell->day() == m_current;
        if (isCurrent && !cell->isCurrent())
            current = cell;
        cell->setCurrent(isCurrent);
    }
    // A screen reader follows the keyboard from cell to cell.
    if (current) {
        QAccessibleEvent moved(current, QAccessible::Focus);
        QAccessible::updateAccessibility(&moved);
    }
}

void MonthCalendar::refresh()
{
    const QDate shown = month();
    m_current = dayInShownMonth(m_current);
    m_title->setText(title());
    m_previous->setEnabled(canGoBack());

    const QStringList symbols = MonthGrid::weekdaySymbols();
    for (int i = 0; i < m_weekdays.size(); ++i)
        m_weekdays.at(i)->setText(symbols.value(i));

    const QList<QList<QDate>> rows = weeks();
    for (int r = 0; r < m_rows.size(); ++r) {
        const bool visible = r < rows.size();
        m_rows.at(r)->setVisible(visible);
        if (!visible)
            continue;
        for (int c = 0; c < 7; ++c) {
            const QDate day = rows.at(r).at(c);
            const auto mark = m_marks.constFind(day);
            m_cells.at(r * 7 + c)->display(
                day, shown, m_today, m_selection, mark == m_marks.cend() ? std::nullopt : std::optional<bool>(*mark));
        }
    }
    showCurrent();
}
