#include "Services/Focus/FocusTabState.h"

#include "Models/Focus/FocusClock.h"
#include "Models/Focus/FocusDuration.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"

#include <algorithm>

FocusTabState::FocusTabState(
    FocusSessionManager &focus, Preferences &preferences, Surface &surface, bool closesSurface, QObject *parent)
    : QObject(parent)
    , m_focus(focus)
    , m_preferences(preferences)
    , m_surface(surface)
    , m_closesSurface(closesSurface)
    , m_phase(focus.phase())
{
    connect(&m_focus, &FocusSessionManager::readinessChecked, this, &FocusTabState::readinessChecked);
    connect(&m_focus, &FocusSessionManager::sessionChanged, this, &FocusTabState::sessionChanged);
    connect(&m_surface, &Surface::isVisibleChanged, this, &FocusTabState::surfaceVisibilityChanged);
}

QList<FocusTabState::Choice> FocusTabState::choices()
{
    QList<Choice> list;
    for (int minutes : FocusDuration::presets)
        list << Choice::minutes(minutes);
    list << Choice::custom();
    return list;
}

void FocusTabState::choose(Choice choice)
{
    const bool changes = m_choice != choice || m_isAskingAboutSilencing;
    m_choice = choice;
    m_isAskingAboutSilencing = false;
    if (changes)
        Q_EMIT changed();
}

void FocusTabState::setCustomHours(int hours)
{
    hours = std::clamp(hours, 0, FocusDuration::maximumHours);
    if (hours == m_customHours)
        return;
    m_customHours = hours;
    Q_EMIT changed();
}

void FocusTabState::setCustomMinutes(int minutes)
{
    minutes = std::clamp(minutes, 0, 59);
    if (minutes == m_customMinutes)
        return;
    m_customMinutes = minutes;
    Q_EMIT changed();
}

std::optional<int> FocusTabState::chosenMinutes() const
{
    if (m_choice.preset)
        return m_choice.preset;
    return FocusDuration::minutes(m_customHours, m_customMinutes);
}

QString FocusTabState::clockText() const
{
    const std::optional<int> minutes = chosenMinutes();
    return minutes ? FocusClock::text(*minutes * 60.0) : QStringLiteral("–:––");
}

QString FocusTabState::startTitle() const
{
    return m_isChecking ? QStringLiteral("Starting…") : QStringLiteral("Start Focus");
}

QString FocusTabState::startAccessibleName() const
{
    const std::optional<int> minutes = chosenMinutes();
    if (!minutes)
        return QStringLiteral("Start focus session");
    return QStringLiteral("Start ") + FocusDuration::spokenName(*minutes) + QStringLiteral(" focus session");
}

void FocusTabState::loadDefault()
{
    if (m_focus.activeSession())
        return;
    const int stored = m_preferences.focusMinutes();
    const auto &presets = FocusDuration::presets;
    if (std::find(presets.begin(), presets.end(), stored) != presets.end()) {
        m_choice = Choice::minutes(stored);
    } else {
        m_choice = Choice::custom();
        m_customHours = stored / 60;
        m_customMinutes = stored % 60;
    }
    Q_EMIT changed();
}

void FocusTabState::start()
{
    const std::optional<int> minutes = chosenMinutes();
    if (!minutes || m_isChecking)
        return;
    if (!m_preferences.focusSilencesNotifications()) {
        startWithoutSilencing();
        return;
    }
    const std::optional<FocusSilencerReadiness> readiness = m_focus.readiness();
    if (readiness && readiness->isReady()) {
        startSilenced(*minutes);
        return;
    }
    // Silencing is wanted but not known to work: check first (never asking the user), then
    // start or ask about silencing.
    m_isChecking = true;
    m_checkedMinutes = *minutes;
    m_startCheck = m_focus.checkReadiness(false);
    Q_EMIT changed();
}

void FocusTabState::startWithoutSilencing()
{
    const std::optional<int> minutes = chosenMinutes();
    if (!minutes)
        return;
    setAsking(false);
    if (m_focus.start(*minutes, false) == FocusSessionManager::StartResult::Started && m_closesSurface)
        m_surface.close();
}

void FocusTabState::startSilenced(int minutes)
{
    setAsking(false);
    // The panel closes once Do Not Disturb is in place, so the user sees if it is not. Set
    // before starting: silencing may be settled before start() returns.
    m_closesOnceSilenced = m_closesSurface;
    if (m_focus.start(minutes, true) != FocusSessionManager::StartResult::Started)
        m_closesOnceSilenced = false;
}

void FocusTabState::readinessChecked(int check)
{
    if (!m_isChecking || check != m_startCheck)
        return;
    m_isChecking = false;
    const std::optional<FocusSilencerReadiness> readiness = m_focus.readiness();
    if (readiness && readiness->isReady())
        startSilenced(m_checkedMinutes);
    else
        m_isAskingAboutSilencing = true;
    Q_EMIT changed();
}

void FocusTabState::appeared()
{
    const std::optional<FocusSilencerReadiness> readiness = m_focus.readiness();
    if (m_preferences.focusSilencesNotifications() && !(readiness && readiness->isReady()))
        m_focus.checkReadiness(false);
}

bool FocusTabState::handleKey(const KeyPress &press)
{
    if (m_focus.activeSession() || press.commandHeld)
        return false;
    switch (press.key) {
    case Key::Left:
    case Key::Right: {
        if (press.editingText)
            return false;
        const QList<Choice> list = choices();
        const qsizetype index = list.indexOf(m_choice);
        if (index < 0)
            return false;
        const qsizetype next = std::clamp<qsizetype>(index + (press.key == Key::Left ? -1 : 1), 0, list.size() - 1);
        if (list[next] != m_choice) {
            m_choice = list[next];
            Q_EMIT changed();
        }
        return true;
    }
    case Key::Return:
        if (press.editingText || m_isAskingAboutSilencing)
            return false;
        start();
        return true;
    case Key::Escape:
        if (!m_isAskingAboutSilencing)
            return false;
        setAsking(false);
        return true;
    case Key::Other:
        break;
    }
    return false;
}

void FocusTabState::surfaceVisibilityChanged(bool visible)
{
    if (!visible)
        return;
    setAsking(false);
    loadDefault();
}

void FocusTabState::sessionChanged()
{
    const FocusSessionManager::Phase phase = m_focus.phase();
    const bool phaseChanged = phase != m_phase;
    m_phase = phase;
    if (phaseChanged && m_closesOnceSilenced && phase != FocusSessionManager::Phase::Starting) {
        m_closesOnceSilenced = false;
        const std::optional<FocusSession> active = m_focus.activeSession();
        if (phase == FocusSessionManager::Phase::Active && active && active->silencing.isSilenced())
            m_surface.close();
    }
    Q_EMIT changed();
}

void FocusTabState::setAsking(bool asking)
{
    if (asking == m_isAskingAboutSilencing)
        return;
    m_isAskingAboutSilencing = asking;
    Q_EMIT changed();
}
