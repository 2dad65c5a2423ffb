#include "Views/Settings/ClipboardSettings.h"

#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Services/Clipboard/ClearPrompt.h"
#include "Services/Clipboard/ClipboardMonitor.h"
#include "Services/Clipboard/ClipboardNoticeContent.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Shell/Preferences.h"
#include "Services/Transfer/DataTransfer.h"
#include "Views/Clipboard/ClearHistoryMenu.h"
#include "Views/Clipboard/ClipboardNotice.h"
#include "Views/Settings/SettingsRow.h"
#include "Views/Settings/SettingsSection.h"
#include "Views/Settings/SettingsSwitch.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

constexpr int privacySymbolSize = 20;

bool isPermissionNotice(std::optional<ClipboardNoticeContent::Reason> reason)
{
    using Reason = ClipboardNoticeContent::Reason;
    return reason && *reason != Reason::Off && *reason != Reason::Paused;
}

} // namespace

ClipboardSettings::ClipboardSettings(Preferences &preferences, ClipboardMonitor &monitor, ClipboardStore &store,
    DataTransfer &transfer, AlertPresenter &alerts, const Clock &clock, SoundBank &sounds, QWidget *parent)
    : SettingsForm(parent)
    , m_preferences(preferences)
    , m_monitor(monitor)
    , m_store(store)
    , m_transfer(transfer)
    , m_alerts(alerts)
    , m_clock(clock)
    , m_sounds(sounds)
    , m_monitorSwitch(new SettingsSwitch)
    , m_pause(new SettingsSwitch)
    , m_clearMenu(new ClearHistoryMenu(ClearHistoryMenu::Style::Settings))
    , m_export(SettingsForm::button(QStringLiteral("Export…")))
{
    SettingsSection *recording = addSection();
    recording->addRow(new SettingsRow(
        QStringLiteral("Monitor Clipboard"), QStringLiteral("Capture copied content automatically"), m_monitorSwitch));
    m_pauseRow = new SettingsRow(QStringLiteral("Pause Clipboard History"), {}, m_pause);
    recording->addRow(m_pauseRow);
    m_noticeRow = new QWidget;
    auto *noticeColumn = new QVBoxLayout(m_noticeRow);
    noticeColumn->setContentsMargins(0, 0, 0, 0);
    noticeColumn->addWidget(new ClipboardNotice(preferences, monitor, Density::Regular, nullptr, m_noticeRow));
    recording->addRow(m_noticeRow);

    SettingsSection *history = addSection();
    m_clearRow = new SettingsRow(QStringLiteral("Clear Clipboard History"), {}, m_clearMenu);
    history->addRow(m_clearRow);
    history->addRow(new SettingsRow(QStringLiteral("Export Clipboard History"),
        QStringLiteral("Save it as a JSON file, images included"), m_export));

    auto *privacy = new QWidget;
    auto *privacyRow = new QHBoxLayout(privacy);
    privacyRow->setContentsMargins(0, 0, 0, 0);
    privacyRow->setSpacing(10);
    privacyRow->addWidget(
        new SymbolIcon(QStringLiteral("lock.shield"), privacySymbolSize, Theme::accent, privacy), 0, Qt::AlignTop);
    auto *sentences = new QVBoxLayout;
    sentences->setSpacing(4);
    auto *promise = new ToneLabel(
        QStringLiteral("Your clipboard stays on this computer. Vemra never uploads or syncs clipboard history."),
        Theme::primary, privacy);
    promise->setPixelFont(13, QFont::DemiBold);
    promise->setWordWrap(true);
    auto *skipped = new ToneLabel(passwordManagersSentence(), Theme::secondary, privacy);
    skipped->setPixelFont(13);
    skipped->setWordWrap(true);
    sentences->addWidget(promise);
    sentences->addWidget(skipped);
    privacyRow->addLayout(sentences, 1);
    addSection()->addRow(privacy);

    connect(m_monitorSwitch, &QAbstractButton::clicked, &m_preferences, &Preferences::setMonitorsClipboard);
    connect(m_pause, &QAbstractButton::clicked, &m_preferences, &Preferences::setClipboardPaused);
    connect(&m_preferences, &Preferences::monitorsClipboardChanged, this, &ClipboardSettings::refreshSwitches);
    connect(&m_preferences, &Preferences::clipboardPausedChanged, this, &ClipboardSettings::refreshSwitches);
    connect(&m_monitor, &ClipboardMonitor::accessChanged, this, &ClipboardSettings::refreshSwitches);
    connect(m_clearMenu, &ClearHistoryMenu::chosen, this, &ClipboardSettings::clear);
    connect(
        m_export, &QAbstractButton::clicked, this, [this] { m_transfer.exportData(DataTransfer::Scope::Clipboard); });
    connect(&m_store, &ClipboardStore::revisionChanged, this, &ClipboardSettings::refreshCount);
    connect(&m_transfer, &DataTransfer::isWorkingChanged, this, &ClipboardSettings::refreshCount);
    connect(&m_transfer, &DataTransfer::isBusyChanged, this, &ClipboardSettings::refreshCount);
    refreshSwitches();
    refreshCount();
}

QString ClipboardSettings::countLine(qint64 count)
{
    if (count <= 0)
        return QStringLiteral("Nothing copied yet");
    return DataTransfer::count(count, QStringLiteral("item")) + QStringLiteral(", kept until you delete them");
}

QString ClipboardSettings::passwordManagersSentence()
{
    QStringList names = ClipboardMonitor::passwordManagerNames();
    const QString last = names.isEmpty() ? QString() : names.takeLast();
    const QString listed = names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
    return QStringLiteral(
        "Passwords that password managers mark as private are never saved, and neither is anything copied in "
        "%1.")
        .arg(listed);
}

void ClipboardSettings::clear(const ClearRequest &request)
{
    // Its moment fixed as it opens; its count, title and buttons follow the history while it is
    // open (a copy made meanwhile), as the clipboard tab's own question does.
    ClearPrompt::ask(m_store, m_sounds, m_clock, m_alerts, request);
}

void ClipboardSettings::showEvent(QShowEvent *event)
{
    SettingsForm::showEvent(event);
    // A permission changed meanwhile in the system's settings shows now.
    m_monitor.refreshAccess();
}

void ClipboardSettings::refreshSwitches()
{
    const bool monitors = m_preferences.monitorsClipboard();
    const bool paused = m_preferences.isClipboardPaused();
    m_monitorSwitch->setChecked(monitors);
    m_pause->setChecked(paused);
    m_pause->setEnabled(monitors);
    m_pauseRow->setSubtitle(paused ? QStringLiteral("Clipboard history paused")
                                   : QStringLiteral("Stop recording for now. Your history stays."));
    m_noticeRow->setVisible(isPermissionNotice(ClipboardNoticeContent::reason(monitors, paused, m_monitor.access())));
}

void ClipboardSettings::refreshCount()
{
    const qint64 count = m_store.count();
    m_clearRow->setSubtitle(countLine(count));
    m_clearMenu->setEnabled(count > 0);
    setEnabledKeepingFocus(m_export, count > 0 && !m_transfer.isWorking() && !m_transfer.isBusy());
}
