#include "Services/Shell/Preferences.h"

#include "Platform/SettingsStore.h"

#include <algorithm>

namespace {

const QString kMonitorsClipboard = QStringLiteral("monitorsClipboard");
const QString kClipboardPaused = QStringLiteral("clipboardPaused");
const QString kFocusMinutes = QStringLiteral("focusMinutes");
const QString kFocusPlaysSound = QStringLiteral("focusPlaysSound");
const QString kFocusSilencesNotifications = QStringLiteral("focusSilencesNotifications");
const QString kAppearance = QStringLiteral("appearance");

// The INI file gives every scalar back as text, so a stored Boolean is either a real bool
// (written in this run) or exactly "true"/"false".
std::optional<bool> storedBoolean(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return std::nullopt;
}

// A lenient Boolean reading: false when absent or unreadable.
bool booleanReading(const QVariant &value)
{
    if (!value.isValid())
        return false;
    if (const auto b = storedBoolean(value))
        return *b;
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const int number = value.toString().trimmed().toInt(&ok);
        if (ok)
            return number != 0;
        const QString lower = value.toString().trimmed().toLower();
        return lower == QLatin1String("yes") || lower == QLatin1String("true");
    }
    return value.canConvert<bool>() && value.toBool();
}

// An integer reading: 0 when absent or not a whole number.
int integerReading(const QVariant &value)
{
    if (!value.isValid())
        return 0;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    if (ok)
        return number;
    const double real = value.toString().trimmed().toDouble(&ok);
    if (ok && real >= -2147483648.0 && real <= 2147483647.0)
        return static_cast<int>(real);
    return 0;
}

} // namespace

Preferences::Preferences(SettingsStore &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    m_monitorsClipboard = storedBoolean(m_defaults.value(kMonitorsClipboard)).value_or(true);
    m_isClipboardPaused = booleanReading(m_defaults.value(kClipboardPaused));
    const int minutes = integerReading(m_defaults.value(kFocusMinutes));
    m_focusMinutes = minutes >= minimumFocusMinutes && minutes <= maximumFocusMinutes ? minutes : defaultFocusMinutes;
    m_focusPlaysSound = storedBoolean(m_defaults.value(kFocusPlaysSound)).value_or(true);
    m_focusSilencesNotifications = storedBoolean(m_defaults.value(kFocusSilencesNotifications)).value_or(true);
    const QVariant appearance = m_defaults.value(kAppearance);
    m_appearance = appearance.typeId() == QMetaType::QString
        ? Appearances::fromStoredValue(appearance.toString()).value_or(Appearance::System)
        : Appearance::System;
}

template <typename T>
void Preferences::assign(
    T &member, T value, const QString &key, const QVariant &stored, void (Preferences::*changed)(T))
{
    const bool isChange = member != value;
    member = value;
    m_defaults.setValue(key, stored);
    if (isChange)
        Q_EMIT(this->*changed)(value);
}

void Preferences::setMonitorsClipboard(bool value)
{
    const bool wasRecording = isRecordingClipboard();
    assign(m_monitorsClipboard, value, kMonitorsClipboard, value, &Preferences::monitorsClipboardChanged);
    afterClipboardSwitch(wasRecording);
}

void Preferences::setClipboardPaused(bool value)
{
    const bool wasRecording = isRecordingClipboard();
    assign(m_isClipboardPaused, value, kClipboardPaused, value, &Preferences::clipboardPausedChanged);
    afterClipboardSwitch(wasRecording);
}

void Preferences::afterClipboardSwitch(bool wasRecording)
{
    if (isRecordingClipboard() != wasRecording)
        Q_EMIT isRecordingClipboardChanged(isRecordingClipboard());
    Q_EMIT clipboardSwitchAssigned();
}

void Preferences::setFocusMinutes(int value)
{
    // A value outside the range would be dropped at the next launch and refused by the focus
    // manager in this one, so it is brought into range before it is kept.
    const int minutes = std::clamp(value, minimumFocusMinutes, maximumFocusMinutes);
    assign(m_focusMinutes, minutes, kFocusMinutes, minutes, &Preferences::focusMinutesChanged);
}

void Preferences::setFocusPlaysSound(bool value)
{
    assign(m_focusPlaysSound, value, kFocusPlaysSound, value, &Preferences::focusPlaysSoundChanged);
}

void Preferences::setFocusSilencesNotifications(bool value)
{
    assign(m_focusSilencesNotifications, value, kFocusSilencesNotifications, value,
        &Preferences::focusSilencesNotificationsChanged);
}

void Preferences::setAppearance(Appearance value)
{
    assign(m_appearance, value, kAppearance, Appearances::storedValue(value), &Preferences::appearanceChanged);
    Q_EMIT appearanceAssigned();
}
