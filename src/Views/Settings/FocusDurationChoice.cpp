#include "Views/Settings/FocusDurationChoice.h"

#include "Models/Focus/FocusDuration.h"
#include "Services/Shell/Preferences.h"

#include <algorithm>

FocusDurationChoice::FocusDurationChoice(Preferences &preferences)
    : m_preferences(preferences)
{
    refresh();
}

void FocusDurationChoice::refresh()
{
    const auto &presets = FocusDuration::presets;
    m_isCustom = std::find(presets.begin(), presets.end(), m_preferences.focusMinutes()) == presets.end();
}

std::optional<int> FocusDurationChoice::preset() const
{
    if (m_isCustom)
        return std::nullopt;
    return m_preferences.focusMinutes();
}

void FocusDurationChoice::choose(std::optional<int> preset)
{
    if (!preset) {
        m_isCustom = true;
        return;
    }
    m_preferences.setFocusMinutes(*preset);
    m_isCustom = false;
}

int FocusDurationChoice::hours() const
{
    return m_preferences.focusMinutes() / 60;
}

int FocusDurationChoice::minutes() const
{
    return m_preferences.focusMinutes() % 60;
}

bool FocusDurationChoice::setHours(int hours)
{
    return store(hours, hours == FocusDuration::maximumHours ? 0 : minutes());
}

bool FocusDurationChoice::setMinutes(int minutes)
{
    return store(hours(), minutes);
}

bool FocusDurationChoice::store(int hours, int minutes)
{
    const std::optional<int> total = FocusDuration::minutes(hours, minutes);
    if (!total)
        return false;
    m_preferences.setFocusMinutes(*total);
    return true;
}
