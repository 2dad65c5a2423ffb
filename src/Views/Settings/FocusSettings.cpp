#include "Views/Settings/FocusSettings.h"

#include "Models/Focus/FocusDuration.h"
#include "Services/HotKeys/HotKeyCenter.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/Preferences.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/SettingsRow.h"
#include "Views/Settings/SettingsSection.h"
#include "Views/Settings/SettingsStepper.h"
#include "Views/Settings/SettingsSwitch.h"
#include "Views/Settings/ShortcutRecorder.h"
#include "Views/Settings/SilencingSetup.h"

#include <QComboBox>
#include <QHBoxLayout>

namespace {

constexpr int stepperSpacing = 14;

} // namespace

FocusSettings::FocusSettings(
    Preferences &preferences, HotKeys &hotKeys, FocusSessionManager &focus, FileRevealer &revealer, QWidget *parent)
    : SettingsForm(parent)
    , m_preferences(preferences)
    , m_focusShortcut(*hotKeys.focus())
    , m_focus(focus)
    , m_revealer(revealer)
    , m_duration(preferences)
    , m_picker(new QComboBox)
    , m_hours(new SettingsStepper(0, FocusDuration::maximumHours))
    , m_minutes(new SettingsStepper(0, 59))
    , m_sound(new SettingsSwitch)
    , m_recorder(new ShortcutRecorder(&m_focusShortcut))
    , m_note(new SettingsNote)
    , m_silence(new SettingsSwitch)
{
    for (int minutes : FocusDuration::presets)
        m_picker->addItem(FocusDuration::name(minutes), minutes);
    m_picker->insertSeparator(m_picker->count());
    m_picker->addItem(QStringLiteral("Custom"));
    m_picker->setAccessibleName(QStringLiteral("Default Focus Duration"));
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto *steppers = new QWidget;
    auto *stepperRow = new QHBoxLayout(steppers);
    stepperRow->setContentsMargins(0, 0, 0, 0);
    stepperRow->setSpacing(stepperSpacing);
    stepperRow->addWidget(m_hours);
    stepperRow->addWidget(m_minutes);

    SettingsSection *defaults = addSection();
    defaults->addRow(new SettingsRow(
        QStringLiteral("Default Focus Duration"), QStringLiteral("Chosen when you open Focus"), m_picker));
    m_customRow = new SettingsRow(QStringLiteral("Custom Length"), {}, steppers);
    defaults->addRow(m_customRow);
    defaults->addRow(new SettingsRow(
        QStringLiteral("Completion Sound"), QStringLiteral("A soft chime when a Focus Session ends"), m_sound));
    defaults->addRow(new SettingsRow(QStringLiteral("Global Focus Shortcut"),
        QStringLiteral("Open Focus from any app; Return starts it"), m_recorder));
    defaults->addRow(m_note);

    m_silencing = addSection();
    m_silencing->addRow(new SettingsRow(QStringLiteral("Silence Notifications"),
        QStringLiteral("Turn on Do Not Disturb during Focus Sessions"), m_silence));
    addFooter(QStringLiteral(
        "Each desktop turns on Do Not Disturb its own way, so Vemra runs three small scripts that you make "
        "once. When a session ends, Vemra turns Do Not Disturb off only if it turned it on and you haven’t "
        "changed it. A mode you had on already stays on."));

    connect(m_picker, &QComboBox::activated, this, [this](int index) {
        const QVariant minutes = m_picker->itemData(index);
        m_duration.choose(minutes.isValid() ? std::optional<int>(minutes.toInt()) : std::nullopt);
        showDuration();
    });
    // A refused step stores nothing, so showing the stored length puts the stepper back.
    connect(m_hours, &SettingsStepper::stepRequested, this, [this](int hours) {
        m_duration.setHours(hours);
        showDuration();
    });
    connect(m_minutes, &SettingsStepper::stepRequested, this, [this](int minutes) {
        m_duration.setMinutes(minutes);
        showDuration();
    });
    connect(&m_preferences, &Preferences::focusMinutesChanged, this, &FocusSettings::showDuration);

    m_sound->setChecked(m_preferences.focusPlaysSound());
    connect(m_sound, &QAbstractButton::clicked, &m_preferences, &Preferences::setFocusPlaysSound);
    connect(&m_preferences, &Preferences::focusPlaysSoundChanged, m_sound, &QAbstractButton::setChecked);

    connect(&m_focusShortcut, &HotKeyCenter::comboChanged, this, &FocusSettings::refreshShortcutNote);
    connect(&m_focusShortcut, &HotKeyCenter::problemChanged, this, &FocusSettings::refreshShortcutNote);
    refreshShortcutNote();

    connect(m_silence, &QAbstractButton::clicked, &m_preferences, &Preferences::setFocusSilencesNotifications);
    connect(&m_preferences, &Preferences::focusSilencesNotificationsChanged, this, &FocusSettings::showSilencing);
    showDuration();
    showSilencing();
}

FocusSettings::ShortcutNote FocusSettings::shortcutNote(const HotKeyCenter &center)
{
    if (!center.problem().isEmpty())
        return { true, center.problem() };
    if (!center.note().isEmpty() && center.combo() && *center.combo() == center.standard())
        return { false, center.note() };
    return {};
}

void FocusSettings::showEvent(QShowEvent *event)
{
    SettingsForm::showEvent(event);
    m_duration.refresh();
    showDuration();
}

void FocusSettings::showDuration()
{
    const std::optional<int> preset = m_duration.preset();
    const int presetIndex = preset ? m_picker->findData(*preset) : -1;
    m_picker->setCurrentIndex(presetIndex >= 0 ? presetIndex : m_picker->count() - 1);
    m_customRow->setVisible(m_duration.isCustom());
    m_hours->setValue(m_duration.hours(), QStringLiteral("%1 hr").arg(m_duration.hours()));
    m_minutes->setValue(m_duration.minutes(), QStringLiteral("%1 min").arg(m_duration.minutes()));
}

void FocusSettings::refreshShortcutNote()
{
    const ShortcutNote note = shortcutNote(m_focusShortcut);
    m_note->setNote(note.isProblem ? SettingsNote::Tone::Problem : SettingsNote::Tone::Information, note.text);
}

void FocusSettings::showSilencing()
{
    const bool on = m_preferences.focusSilencesNotifications();
    m_silence->setChecked(on);
    if (on && !m_setup) {
        // A fresh guide each time silencing is switched on; it checks as it comes on screen.
        m_setup = new SilencingSetup(m_focus, m_revealer);
        m_silencing->addRow(m_setup);
        m_setup->show();
    } else if (!on && m_setup) {
        delete m_setup;
        m_setup = nullptr;
    }
}
