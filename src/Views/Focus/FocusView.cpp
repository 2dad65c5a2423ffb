#include "Views/Focus/FocusView.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/KeyMonitor.h"
#include "Components/Controls/OverflowArea.h"
#include "Components/Controls/Plate.h"
#include "Components/Controls/RollingLabel.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Models/Focus/FocusDuration.h"
#include "Models/Focus/FocusWording.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Focus/FocusTabState.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Views/Focus/ActiveFocus.h"
#include "Views/Focus/ClockFit.h"
#include "Views/Focus/DurationChip.h"
#include "Views/Focus/FocusFooter.h"
#include "Views/Focus/FocusLabel.h"
#include "Views/Focus/FocusRing.h"
#include "Views/Focus/LinkButton.h"
#include "Views/Focus/NumberField.h"
#include "Views/Focus/SilencingPrompt.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The silencing prompt and the start button fade into each other's place; the custom fields
// come and go with the spring of choosing a length.
constexpr int promptFadeMs = 150;
constexpr int choiceSpringMs = 200;
// The space left and right of the preview ring's content.
constexpr int previewRingPadding = 14;

ToneLabel *makeLabel(const QString &text, int pixelSize, QFont::Weight weight, QWidget *parent)
{
    auto *label = new ToneLabel(text, Theme::secondary, parent);
    label->setPixelFont(pixelSize, weight);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A text field on screen has the keyboard (one on a hidden tab does not count).
bool isEditingText()
{
    QWidget *focused = QApplication::focusWidget();
    if (!focused || !focused->isVisible())
        return false;
    return qobject_cast<QLineEdit *>(focused) || qobject_cast<QAbstractSpinBox *>(focused)
        || qobject_cast<QTextEdit *>(focused) || qobject_cast<QPlainTextEdit *>(focused);
}

} // namespace

FocusView::FocusView(FocusTabState &state, HotKeys &hotKeys, Density density, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_density(density)
{
    setFocusPolicy(Qt::ClickFocus);
    const bool compact = density == Density::Compact;

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *content = new QWidget(this);
    auto *contentColumn = new QVBoxLayout(content);
    contentColumn->setContentsMargins(compact ? 16 : 0, compact ? 4 : 0, compact ? 16 : 0, compact ? 16 : 24);
    contentColumn->setSpacing(0);
    if (!compact)
        contentColumn->addStretch(1);
    m_startScreen = makeStartScreen();
    m_active = new ActiveFocus(state.focus(), state.surface(), density, content);
    // The panel's start screen takes its whole width; the window's is at most 400 wide, centred.
    contentColumn->addWidget(m_startScreen, 0, compact ? Qt::Alignment() : Qt::AlignHCenter);
    contentColumn->addWidget(m_active, 0, Qt::AlignHCenter);
    // Room beyond what the content needs goes below it in the panel, around it in the window.
    contentColumn->addStretch(1);
    // Between the tab switcher and the footer it scrolls on a screen too short for all of it
    // (the silencing question in a small panel, the ring in a small window).
    m_middle = new OverflowArea(content, this);
    column->addWidget(m_middle, 1);

    if (compact) {
        column->addWidget(Plate::divider(this));
        m_footer = new FocusFooter(state.focus(), hotKeys, state.surface(), this);
        column->addWidget(m_footer);
    }

    new KeyMonitor(this, [this](const QKeyEvent &key) { return handleKey(key); });
    connect(&m_state, &FocusTabState::changed, this, &FocusView::refresh);
    connect(&state.focus(), &FocusSessionManager::sessionChanged, this, &FocusView::refresh);
    connect(&state.focus(), &FocusSessionManager::readinessChanged, this, &FocusView::refresh);
    connect(&state.focus(), &FocusSessionManager::nowChanged, this, &FocusView::refreshOutcome);
    connect(&state.preferences(), &Preferences::focusSilencesNotificationsChanged, this, &FocusView::refresh);
    refresh();
}

QWidget *FocusView::makeStartScreen()
{
    const bool compact = m_density == Density::Compact;
    auto *screen = new QWidget(this);
    if (!compact)
        screen->setFixedWidth(400);
    screen->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto *column = new QVBoxLayout(screen);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(compact ? 14 : 20);

    m_outcome = new FocusLabel(compact ? 12 : 13, QFont::Medium, screen);
    column->addWidget(m_outcome, 0, Qt::AlignHCenter);
    column->addWidget(makeRingPreview(screen), 0, Qt::AlignHCenter);
    m_question = makeLabel(QStringLiteral("How long do you want to focus?"), compact ? 13 : 15, QFont::Medium, screen);
    column->addWidget(m_question);
    // The custom fields carry the space above them, so that it comes and goes with their room.
    auto *choices = new QWidget(screen);
    auto *choicesColumn = new QVBoxLayout(choices);
    choicesColumn->setContentsMargins(0, 0, 0, 0);
    choicesColumn->setSpacing(0);
    choicesColumn->addWidget(makeChipGrid(choices));
    choicesColumn->addWidget(makeCustomFields(choices));
    m_custom->layout()->setContentsMargins(0, column->spacing(), 0, 0);
    column->addWidget(choices);
    // What lies below moves with the room they take and give back.
    m_custom->hide();
    m_customAppear = new AppearTransition(
        m_custom, { .durationMs = choiceSpringMs, .yieldsRoom = true, .curve = QEasingCurve::OutCubic });

    m_prompt = new SilencingPrompt(m_density, screen);
    column->addWidget(m_prompt);
    connect(
        m_prompt, &SilencingPrompt::setUpChosen, this, [this] { m_state.surface().openSettings(SettingsPane::Focus); });
    // The permission form never shows here (the scripts need no permission); it leads to the
    // same setup.
    connect(m_prompt, &SilencingPrompt::permissionsChosen, this,
        [this] { m_state.surface().openSettings(SettingsPane::Focus); });
    connect(m_prompt, &SilencingPrompt::startAnywayChosen, &m_state, &FocusTabState::startWithoutSilencing);
    column->addWidget(makeStartBox(screen));
    const AppearTransition::Motion fade { .durationMs = promptFadeMs, .curve = QEasingCurve::OutQuad };
    m_prompt->hide();
    m_promptAppear = new AppearTransition(m_prompt, fade);
    m_startBoxAppear = new AppearTransition(m_startBox, fade);
    return screen;
}

QWidget *FocusView::makeRingPreview(QWidget *parent)
{
    const bool compact = m_density == Density::Compact;
    auto *ring = new FocusRing(compact ? 132 : 176, parent);
    auto *inside = static_cast<QVBoxLayout *>(ring->layout());
    inside->setContentsMargins(previewRingPadding, 0, previewRingPadding, 0);
    inside->setSpacing(2);
    m_previewRing = ring;
    m_clockSize = compact ? 30 : 40;
    // The preview counts up whichever way the length changed.
    m_clock = new RollingLabel(Theme::primary, ring);
    m_clock->setPixelFont(m_clockSize, QFont::Light);
    m_clock->setDirection(1);
    inside->addWidget(m_clock, 0, Qt::AlignHCenter);
    m_ready = makeLabel(QStringLiteral("Ready"), compact ? 11 : 12, QFont::Normal, ring);
    inside->addWidget(m_ready);
    ring->setAccessibleName(QString());
    return ring;
}

QWidget *FocusView::makeChipGrid(QWidget *parent)
{
    auto *grid = new QWidget(parent);
    auto *layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    const QList<FocusTabState::Choice> choices = FocusTabState::choices();
    for (qsizetype i = 0; i < choices.size(); ++i) {
        const FocusTabState::Choice choice = choices[i];
        const QString title = choice.preset ? FocusDuration::shortName(*choice.preset) : QStringLiteral("Custom");
        const QString spoken
            = choice.preset ? FocusDuration::spokenName(*choice.preset) : QStringLiteral("Custom length");
        auto *chip = new DurationChip(title, spoken, m_density, grid);
        connect(chip, &QAbstractButton::clicked, &m_state, [this, choice] { m_state.choose(choice); });
        layout->addWidget(chip, int(i / 4), int(i % 4));
        m_chips << chip;
    }
    for (int c = 0; c < 4; ++c)
        layout->setColumnStretch(c, 1);
    return grid;
}

QWidget *FocusView::makeCustomFields(QWidget *parent)
{
    m_custom = new QWidget(parent);
    auto *column = new QVBoxLayout(m_custom);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto *row = new QHBoxLayout;
    row->setSpacing(18);
    m_hours = new NumberField(QStringLiteral("Hours"), 0, FocusDuration::maximumHours, m_density, m_custom);
    m_minutes = new NumberField(QStringLiteral("Minutes"), 0, 59, m_density, m_custom);
    row->addStretch(1);
    row->addWidget(m_hours);
    row->addWidget(m_minutes);
    row->addStretch(1);
    column->addLayout(row);
    m_hint = makeLabel(QStringLiteral("Choose between 1 minute and 24 hours."), 11, QFont::Normal, m_custom);
    column->addWidget(m_hint);
    connect(m_hours, &NumberField::valueChanged, &m_state, &FocusTabState::setCustomHours);
    connect(m_minutes, &NumberField::valueChanged, &m_state, &FocusTabState::setCustomMinutes);
    connect(m_hours, &NumberField::submitted, &m_state, &FocusTabState::start);
    connect(m_minutes, &NumberField::submitted, &m_state, &FocusTabState::start);
    return m_custom;
}

QWidget *FocusView::makeStartBox(QWidget *parent)
{
    const bool compact = m_density == Density::Compact;
    m_startBox = new QWidget(parent);
    auto *column = new QVBoxLayout(m_startBox);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    m_start = new TintedButton(
        QString(), { TintedButtonStyle::Filled, compact ? 32.0 : 38.0, compact ? 13.0 : 14.0, false }, m_startBox);
    m_start->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_start->setToolTip(QStringLiteral("Start Focus (Return)"));
    connect(m_start, &QAbstractButton::clicked, &m_state, &FocusTabState::start);
    column->addWidget(m_start);

    auto *note = new QWidget(m_startBox);
    note->setMinimumHeight(14);
    auto *noteRow = new QHBoxLayout(note);
    noteRow->setContentsMargins(0, 0, 0, 0);
    noteRow->setSpacing(4);
    m_note = new FocusLabel(11, QFont::Normal, note);
    m_setUp = new LinkButton(QStringLiteral("Set Up…"), 11, note);
    noteRow->addStretch(1);
    noteRow->addWidget(m_note);
    noteRow->addWidget(m_setUp);
    noteRow->addStretch(1);
    connect(m_setUp, &QAbstractButton::clicked, this, [this] { m_state.surface().openSettings(SettingsPane::Focus); });
    column->addWidget(note);
    return m_startBox;
}

void FocusView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_hasAppeared) {
        m_hasAppeared = true;
        m_state.loadDefault();
    }
    m_state.appeared();
    // The keyboard must not stay with a field of the tab shown before, where typing would go
    // unseen.
    QWidget *focused = QApplication::focusWidget();
    if (!focused || !focused->isVisible() || !isAncestorOf(focused))
        setFocus(Qt::OtherFocusReason);
}

void FocusView::keyPressEvent(QKeyEvent *event)
{
    // A focused button is left the keys that press it; Return on a chip, which takes only Space,
    // starts as it does anywhere in the tab.
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn && qobject_cast<QAbstractButton *>(QApplication::focusWidget()) && handleKey(*event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool FocusView::handleKey(const QKeyEvent &key)
{
    FocusTabState::KeyPress press;
    switch (key.key()) {
    case Qt::Key_Left:
        press.key = FocusTabState::Key::Left;
        break;
    case Qt::Key_Right:
        press.key = FocusTabState::Key::Right;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        press.key = FocusTabState::Key::Return;
        break;
    case Qt::Key_Escape:
        press.key = FocusTabState::Key::Escape;
        break;
    default:
        return false;
    }
    // Arrow and keypad keys carry the keypad flag and Shift does not count: only these do.
    press.commandHeld = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    press.editingText = isEditingText();
    return m_state.handleKey(press);
}

void FocusView::refresh()
{
    const FocusSessionManager &focus = m_state.focus();
    const bool running = focus.activeSession().has_value();
    // A key on a control of the screen leaving (Return on a chip) would otherwise pass to the
    // next control in the chain, such as the footer's, which the next Return would press.
    QWidget *screenLeaving = running ? m_startScreen : m_active;
    if (QWidget *focused = QApplication::focusWidget();
        focused && screenLeaving->isVisible() && screenLeaving->isAncestorOf(focused))
        setFocus(Qt::OtherFocusReason);
    // The one leaving goes first: for a moment both would count, and the window would grow to
    // hold them.
    // Where the tab scrolls, the screen coming starts at its top, and the countdown is in view
    // once it has its room.
    if (screenLeaving->isVisible()) {
        m_middle->verticalScrollBar()->setValue(0);
        if (running)
            QTimer::singleShot(0, m_middle, [this] { reveal(m_active->countdown()); });
    }
    screenLeaving->setVisible(false);
    (running ? m_active : m_startScreen)->setVisible(true);
    if (running)
        return;

    const FocusTabState &state = m_state;
    refreshOutcome();
    // "24:00:00" is wider than the ring at full size.
    const QString clock = state.clockText();
    m_clock->setPixelFont(
        ClockFit::pixelSize(m_clock->font(), m_clockSize, clock, m_previewRing->contentWidth()), QFont::Light);
    m_clock->setText(clock);
    const QList<FocusTabState::Choice> choices = FocusTabState::choices();
    // Tab reaches the chips as one stop, the chosen chip, as with Qt's radio buttons; the arrows
    // choose another, and the keyboard goes with the choice.
    const bool chipFocused
        = std::any_of(m_chips.cbegin(), m_chips.cend(), [](const DurationChip *chip) { return chip->hasFocus(); });
    for (qsizetype i = 0; i < m_chips.size(); ++i) {
        m_chips[i]->setSelected(choices[i] == state.choice());
        if (chipFocused && m_chips[i]->isSelected())
            m_chips[i]->setFocus(Qt::TabFocusReason);
    }
    m_customAppear->setShown(state.choice().isCustom());
    m_hours->setValue(state.customHours());
    m_minutes->setValue(state.customMinutes());
    m_hint->setVisible(state.isCustomInvalid());

    // The one leaving first, as above.
    const bool asking = state.isAskingAboutSilencing();
    // A key on a button of the box leaving would otherwise pass to the next control in the
    // chain, such as the footer's, and Return would press that instead of starting.
    QWidget *leaving = asking ? m_startBox : m_prompt;
    if (QWidget *focused = QApplication::focusWidget(); focused && leaving->isAncestorOf(focused))
        setFocus(Qt::OtherFocusReason);
    // It gives up its room at once: fading where it stood, it would squeeze the ring over the
    // question above until the panel had grown to hold both.
    AppearTransition *leavingMotion = asking ? m_startBoxAppear : m_promptAppear;
    if (leavingMotion->isShown() || leavingMotion->isRunning())
        leavingMotion->jumpTo(false);
    const bool promptArrives = asking && !m_promptAppear->isShown();
    (asking ? m_promptAppear : m_startBoxAppear)->setShown(true);
    m_prompt->setPrompt(FocusWording::prompt(focus.readiness()));
    // Where the tab scrolls, the question comes into view as it comes, once it has its room.
    if (promptArrives)
        QTimer::singleShot(0, m_middle, [this] { reveal(m_prompt); });
    m_start->setText(state.startTitle());
    m_start->setEnabled(state.canStart());
    m_start->setAccessibleName(state.startAccessibleName());
    const std::optional<FocusWording::Note> note
        = FocusWording::note(m_state.preferences().focusSilencesNotifications(), focus.readiness());
    m_note->setVisible(note.has_value());
    if (note)
        m_note->setLine(note->line);
    m_setUp->setVisible(note && note->offersSetUp);
}

void FocusView::reveal(QWidget *part)
{
    if (part->isVisible())
        m_middle->ensureWidgetVisible(part, 0, 0);
}

void FocusView::refreshOutcome()
{
    const FocusSessionManager &focus = m_state.focus();
    const std::optional<FocusWording::Line> outcome = FocusWording::outcome(focus.session(), focus.now());
    m_outcome->setVisible(outcome.has_value());
    if (outcome)
        m_outcome->setLine(*outcome);
}
