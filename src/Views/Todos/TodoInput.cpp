#include "Views/Todos/TodoInput.h"

#include "Components/Controls/IconButton.h"
#include "Components/Controls/KeyMonitor.h"
#include "Components/Controls/Plate.h"
#include "Components/Controls/WidthSpring.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"
#include "Models/Todos/Days.h"
#include "Services/Todos/TodosTabState.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <limits>

namespace {

// The day button and its cross, on an accent capsule while a day is chosen.
class DayControl final : public Plate
{
public:
    explicit DayControl(QWidget *parent)
        : Plate(Look(), parent)
    {
    }

    void setCapsule(bool shown)
    {
        setLook({ Theme::accentWash.times(shown ? 1 : 0), Theme::clear, capsuleRadius });
        layout()->setContentsMargins(shown ? 1 : 0, 0, shown ? 1 : 0, 0);
    }
};

} // namespace

TodoInput::TodoInput(TodosTabState &state, Density density, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_density(density)
    , m_field(new QLineEdit(this))
    , m_dayControl(new DayControl(this))
    , m_dayButton(new IconButton(QStringLiteral("calendar"), m_dayControl))
    , m_clearDay(new IconButton(QStringLiteral("xmark"), m_dayControl))
    , m_add(new IconButton(QStringLiteral("plus"), this))
    , m_keys(new KeyMonitor(this))
    , m_outline(new Transition(this, 150, QEasingCurve::OutQuad))
{
    const bool compact = density == Density::Compact;
    const int vertical = int(Densities::inputVerticalPadding(density));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, vertical, 6, vertical);
    row->setSpacing(8);

    m_field->setFrame(false);
    // A long text pasted in is kept whole, not cut at the line edit's default limit.
    m_field->setMaxLength(std::numeric_limits<int>::max());
    m_field->setFont(Densities::font(density));
    m_field->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_field->setAccessibleName(QStringLiteral("New todo"));
    QPalette fieldPalette = m_field->palette();
    fieldPalette.setColor(QPalette::Base, Qt::transparent);
    m_field->setPalette(fieldPalette);
    m_field->installEventFilter(this);
    row->addWidget(m_field, 1);

    auto *dayRow = new QHBoxLayout(m_dayControl);
    dayRow->setContentsMargins(0, 0, 0, 0);
    dayRow->setSpacing(2);
    const QFont dayFont = Densities::font(density, -2, QFont::Medium);
    m_dayButton->setFont(dayFont);
    m_dayButton->setSymbolSize(compact ? 13 : 15);
    m_dayButton->setMinimumSize(22, 22);
    // The day's name sits 5 pixels in from the capsule's ends.
    m_dayButton->setTextPadding(5);
    m_clearDay->setSymbolSize(compact ? 8 : 10);
    m_clearDay->setFixedSize(18, 18);
    m_clearDay->setToolTip(QStringLiteral("Back to today"));
    m_clearDay->setAccessibleName(QStringLiteral("Back to today"));
    dayRow->addWidget(m_dayButton);
    dayRow->addWidget(m_clearDay);
    m_dayControl->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A change of day springs the control to its new width.
    m_daySpring = new WidthSpring(m_dayControl, 200);
    row->addWidget(m_dayControl);

    m_add->setFixedSize(22, 22);
    m_add->setSymbolSize(compact ? 12 : 14);
    m_add->setToolTip(QStringLiteral("Add todo (Return)"));
    m_add->setAccessibleName(QStringLiteral("Add todo"));
    row->addWidget(m_add);
    // Tab reaches the input's buttons after the field; a click leaves the focus in the field.
    for (IconButton *button : { m_dayButton, m_clearDay, m_add })
        button->setFocusPolicy(Qt::TabFocus);

    connect(m_dayButton, &IconButton::clicked, this, [this] { m_state.setShowsCalendar(!m_state.showsCalendar()); });
    connect(m_clearDay, &IconButton::clicked, this, [this] { m_state.setDay(std::nullopt); });
    connect(m_add, &IconButton::clicked, this, &TodoInput::submit);
    connect(m_field, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_state.setDraft(text);
        refreshAddButton();
    });

    // Ctrl+D belongs to the day control wherever the focus is in the window; the text field would
    // otherwise take it as "delete the next character". Escape steps back as it does in the field
    // from a control Tab reached (a button, the calendar's days); a text field keeps its own.
    m_keys->setHandler([this](const QKeyEvent &key) {
        const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
        if (key.key() == Qt::Key_D && modifiers == Qt::ControlModifier) {
            m_state.setShowsCalendar(!m_state.showsCalendar());
            return true;
        }
        const QWidget *focused = QApplication::focusWidget();
        if (key.key() != Qt::Key_Escape || modifiers != Qt::NoModifier || !focused
            || focused->testAttribute(Qt::WA_InputMethodEnabled))
            return false;
        m_state.escape();
        return true;
    });

    connect(&m_state, &TodosTabState::draftChanged, this, &TodoInput::refreshText);
    connect(&m_state, &TodosTabState::dayChanged, this, &TodoInput::refreshDay);
    connect(&m_state, &TodosTabState::todayChanged, this, &TodoInput::refreshDay);
    connect(&m_state, &TodosTabState::showsCalendarChanged, this, &TodoInput::refreshDay);
    connect(&m_state, &TodosTabState::selectionChanged, this, &TodoInput::refreshOutline);
    connect(&m_state, &TodosTabState::inputFocusRequested, this, &TodoInput::focusField);
    refreshText();
    refreshDay();
}

bool TodoInput::canSubmit() const
{
    return !m_field->text().trimmed().isEmpty();
}

bool TodoInput::isHighlighted() const
{
    return m_field->hasFocus() && !m_state.selection();
}

void TodoInput::focusField()
{
    m_field->setFocus(Qt::OtherFocusReason);
}

void TodoInput::submit()
{
    // A blank text reaches the state too; it adds nothing and leaves the text as it is.
    m_state.add();
}

void TodoInput::refreshText()
{
    const QString draft = m_state.draft();
    if (m_field->text() != draft)
        m_field->setText(draft);
    refreshAddButton();
}

void TodoInput::refreshDay()
{
    const std::optional<QDate> day = m_state.day();
    const QDate today = m_state.today();
    const bool showsCalendar = m_state.showsCalendar();

    m_daySpring->hold();
    refreshPlaceholder();
    m_dayButton->setText(day ? Days::shortName(*day, today) : QString());
    m_dayButton->setToolTip(
        showsCalendar ? QStringLiteral("Hide calendar (Ctrl+D)") : QStringLiteral("Pick a day (Ctrl+D)"));
    m_dayButton->setAccessibleName(
        day ? QStringLiteral("Day: ") + Days::name(*day, today) : QStringLiteral("Pick a day"));
    const IconButton::Tone tone = (day || showsCalendar) ? IconButton::Tone::Tint : IconButton::Tone::Secondary;
    m_dayButton->setTone(tone);
    m_clearDay->setTone(tone);
    m_clearDay->setVisible(day.has_value());
    static_cast<DayControl *>(m_dayControl)->setCapsule(day.has_value());
    m_dayButton->updateGeometry();
    m_daySpring->follow();
}

void TodoInput::refreshOutline()
{
    m_outline->setOn(isHighlighted());
}

void TodoInput::refreshAddButton()
{
    const bool can = canSubmit();
    m_add->setEnabled(can);
    m_add->setTone(can ? IconButton::Tone::Tint : IconButton::Tone::Tertiary);
}

QStringList TodoInput::placeholders(const std::optional<QDate> &day, const QDate &today)
{
    const QString prompt = QStringLiteral("What needs to be done");
    const QString bare = prompt + QStringLiteral("?");
    QStringList forms { prompt + Days::phrase(day, today) + QStringLiteral("?") };
    if (day && Days::distance(today, *day) > 1)
        forms << prompt + QStringLiteral(" on ") + Days::shortName(*day, today) + QStringLiteral("?");
    if (forms.last() != bare)
        forms << bare;
    return forms;
}

void TodoInput::refreshPlaceholder()
{
    const QStringList forms = placeholders(m_state.day(), m_state.today());
    // The text area of a frameless field: its contents less the text margins and the two pixels
    // the line edit keeps on each side.
    const QMargins margins = m_field->textMargins();
    const int room = m_field->contentsRect().width() - margins.left() - margins.right() - 4;
    const QFontMetrics metrics(m_field->font());
    QString shown = forms.last();
    for (const QString &form : forms) {
        if (metrics.horizontalAdvance(form) <= room) {
            shown = form;
            break;
        }
    }
    m_field->setPlaceholderText(shown);
}

bool TodoInput::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field) {
        switch (event->type()) {
        case QEvent::Resize:
            refreshPlaceholder();
            break;
        case QEvent::KeyPress: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                m_state.escape();
                return true;
            }
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                submit();
                return true;
            }
            break;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            refreshOutline();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TodoInput::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &pal = palette();
    const QColor edge = Theme::blend(Theme::fieldEdge, Theme::focusRing, m_outline->value(), pal);
    Theme::paintPlate(
        painter, QRectF(rect()), Theme::fieldRadius(m_density), Theme::color(Theme::fieldFill, pal), edge);
}
