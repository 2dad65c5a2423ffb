#pragma once

#include "Views/Settings/SettingsForm.h"

class AlertPresenter;
class ClearHistoryMenu;
class ClearRequest;
class ClipboardMonitor;
class ClipboardStore;
class Clock;
class DataTransfer;
class Preferences;
class QAbstractButton;
class SettingsRow;
class SettingsSwitch;
class SoundBank;

// The second settings pane: recording the clipboard on or off and paused, the notice when the
// system keeps Vemra from reading it, how many items the history holds (read again whenever the
// history changes), deleting a period of it after a question, exporting it alone, and what is
// never kept.
class ClipboardSettings final : public SettingsForm
{
    Q_OBJECT

public:
    ClipboardSettings(Preferences &preferences, ClipboardMonitor &monitor, ClipboardStore &store,
        DataTransfer &transfer, AlertPresenter &alerts, const Clock &clock, SoundBank &sounds,
        QWidget *parent = nullptr);

    // The clear row's subtitle for a history of `count` items.
    static QString countLine(qint64 count);
    // The privacy promise's second sentence, naming the password managers whose copies are skipped.
    static QString passwordManagersSentence();

    SettingsSwitch *monitorSwitch() const { return m_monitorSwitch; }
    SettingsSwitch *pauseSwitch() const { return m_pause; }
    SettingsRow *pauseRow() const { return m_pauseRow; }
    // The row that holds the permission notice; shown only while it has something to say.
    QWidget *noticeRow() const { return m_noticeRow; }
    SettingsRow *clearRow() const { return m_clearRow; }
    ClearHistoryMenu *clearMenu() const { return m_clearMenu; }
    QAbstractButton *exportButton() const { return m_export; }

    // Asks whether to delete what `request` covers, and deletes it when the user agrees.
    void clear(const ClearRequest &request);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refreshSwitches();
    void refreshCount();

    Preferences &m_preferences;
    ClipboardMonitor &m_monitor;
    ClipboardStore &m_store;
    DataTransfer &m_transfer;
    AlertPresenter &m_alerts;
    const Clock &m_clock;
    SoundBank &m_sounds;
    SettingsSwitch *m_monitorSwitch;
    SettingsSwitch *m_pause;
    SettingsRow *m_pauseRow = nullptr;
    QWidget *m_noticeRow = nullptr;
    ClearHistoryMenu *m_clearMenu;
    SettingsRow *m_clearRow = nullptr;
    QAbstractButton *m_export;
};
