#include "Views/Settings/GeneralSettings.h"

#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Services/HotKeys/HotKeyCenter.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/LaunchAtLogin.h"
#include "Services/Shell/Preferences.h"
#include "Services/Updates/Updater.h"
#include "Views/Settings/AppearancePicker.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/SettingsRow.h"
#include "Views/Settings/SettingsSection.h"
#include "Views/Settings/SettingsSwitch.h"
#include "Views/Settings/ShortcutRecorder.h"

#include <QAbstractButton>

GeneralSettings::GeneralSettings(
    LaunchAtLogin &launchAtLogin, HotKeys &hotKeys, Updater &updater, Preferences &preferences, QWidget *parent)
    : SettingsForm(parent)
    , m_login(launchAtLogin)
    , m_newTodo(*hotKeys.newTodo())
    , m_updater(updater)
    , m_appearance(new AppearancePicker)
    , m_launchAtLogin(new SettingsSwitch)
    , m_recorder(new ShortcutRecorder(&m_newTodo))
    , m_problem(new SettingsNote)
    , m_automaticUpdates(new SettingsSwitch)
    , m_checkNow(SettingsForm::button(QStringLiteral("Check Now")))
{
    addSection()->addRow(new SettingsRow(
        QStringLiteral("Appearance"), QStringLiteral("Follow the system, or keep Vemra light or dark"), m_appearance));

    SettingsSection *launch = addSection();
    launch->addRow(new SettingsRow(QStringLiteral("Launch at Login"),
        QStringLiteral("Start Vemra automatically when you sign in"), m_launchAtLogin));
    launch->addRow(new SettingsRow(QStringLiteral("Global Shortcut"),
        QStringLiteral("Open Vemra and start typing a todo from any app"), m_recorder));
    launch->addRow(m_problem);
    m_footer = addFooter();

    SettingsSection *updates = addSection();
    updates->addRow(new SettingsRow(QStringLiteral("Check for Updates Automatically"), {}, m_automaticUpdates));
    m_versionRow = new SettingsRow({}, {}, m_checkNow);
    updates->addRow(m_versionRow);

    m_appearance->setSelection(preferences.appearance());
    connect(m_appearance, &AppearancePicker::selectionChanged, &preferences, &Preferences::setAppearance);
    connect(&preferences, &Preferences::appearanceChanged, m_appearance, &AppearancePicker::setSelection);

    // Either way the switch is flipped it toggles; then it shows what the system reports.
    m_launchAtLogin->setChecked(m_login.isEnabled());
    connect(m_launchAtLogin, &QAbstractButton::clicked, this, [this] {
        m_login.toggle();
        m_launchAtLogin->setChecked(m_login.isEnabled());
    });
    connect(&m_login, &LaunchAtLogin::isEnabledChanged, m_launchAtLogin, &QAbstractButton::setChecked);

    connect(&m_newTodo, &HotKeyCenter::comboChanged, this, &GeneralSettings::refreshShortcut);
    connect(&m_newTodo, &HotKeyCenter::problemChanged, this, &GeneralSettings::refreshShortcut);
    refreshShortcut();

    m_automaticUpdates->setChecked(m_updater.automaticallyChecks());
    m_automaticUpdates->setEnabled(m_updater.hasUpdateSource());
    m_checkNow->setEnabled(m_updater.hasUpdateSource());
    connect(m_automaticUpdates, &QAbstractButton::clicked, this, [this](bool on) {
        m_updater.setAutomaticallyChecks(on);
        m_automaticUpdates->setChecked(m_updater.automaticallyChecks());
    });
    connect(&m_updater, &Updater::automaticallyChecksChanged, m_automaticUpdates, &QAbstractButton::setChecked);
    connect(m_checkNow, &QAbstractButton::clicked, &m_updater, &Updater::checkForUpdates);
    connect(&m_updater, &Updater::availableVersionChanged, this, &GeneralSettings::refreshVersion);
    refreshVersion();
}

QString GeneralSettings::shortcutNote(const HotKeyCenter &center)
{
    const auto combo = center.combo();
    if (!combo)
        return QStringLiteral("Without a shortcut, open Vemra from its icon in the menu bar.");
    // The problem line says the desktop keeps the keys for itself; they work in no app.
    if (center.desktopUsesCombo())
        return {};
    QString note
        = combo->displayName() + QStringLiteral(" works in every app, in place of anything that app uses it for.");
    // What browsers bind Reopen Closed Tab to, wherever the combination came from.
    if (combo->sameKeys(KeyCombo { 17, KeyCombo::Control | KeyCombo::Shift, QString() }))
        note += QStringLiteral(" In browsers that’s Reopen Closed Tab.");
    return note;
}

void GeneralSettings::showEvent(QShowEvent *event)
{
    SettingsForm::showEvent(event);
    // A change made meanwhile outside Vemra (the autostart entry edited or removed) shows now.
    m_login.refresh();
    m_launchAtLogin->setChecked(m_login.isEnabled());
}

void GeneralSettings::refreshShortcut()
{
    m_problem->setNote(SettingsNote::Tone::Problem, m_newTodo.problem());
    const QString note = shortcutNote(m_newTodo);
    m_footer->setText(note);
    m_footer->setVisible(!note.isEmpty());
}

void GeneralSettings::refreshVersion()
{
    m_versionRow->setTitle(QStringLiteral("Vemra ") + Updater::version());
    const QString available = m_updater.availableVersion();
    if (!m_updater.hasUpdateSource())
        m_versionRow->setSubtitle(UpdateDriver::noSourceMessage());
    else if (available.isEmpty())
        m_versionRow->setSubtitle(QStringLiteral("Look for a newer version now"));
    else
        m_versionRow->setSubtitle(QStringLiteral("Vemra %1 is available").arg(available));
}
