#pragma once

#include "FakeAlertPresenter.h"
#include "FakeDesktopNotifications.h"
#include "FakeDesktopShortcuts.h"
#include "FakeFileDialogs.h"
#include "FakeFileRevealer.h"
#include "FakeFocusNotifier.h"
#include "FakeFocusSilencer.h"
#include "FakeFocusTimers.h"
#include "FakeFrontApp.h"
#include "FakeHotKeyBackend.h"
#include "FakeLoginItemService.h"
#include "FakeSystemClipboard.h"
#include "FakeTrayHost.h"
#include "FakeUpdateDriver.h"
#include "FakeUserScripts.h"
#include "FakeWorkspaceEvents.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Services/Clipboard/ClipboardMonitor.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ImageLoader.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/Environment.h"
#include "Services/Shell/LaunchAtLogin.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Services/Sound/SoundBank.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/DataTransfer.h"
#include "Services/Updates/Updater.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A todo store in a temporary folder, a clock standing at a Friday morning, settings in memory,
// a surface whose actions are counted, and sounds that are only written down; with the rest of
// the services over fakes, the whole environment a surface builds its tabs from.
struct TabFixture
{
    static inline const QDate friday { 2026, 3, 6 };

    QTemporaryDir dir;
    FixedClock clock { QDateTime(friday, QTime(9, 0)) };
    MemorySettingsStore settings;
    Preferences preferences { settings };
    FakeUpdateDriver updateDriver;
    Updater updater { updateDriver };
    std::unique_ptr<TodoStore> store;
    // The clipboard tab's services, with nothing copied yet.
    FakeSystemClipboard systemClipboard;
    FakeFrontApp frontApp;
    std::unique_ptr<ClipboardStore> clipboard;
    std::unique_ptr<ClipboardMonitor> monitor;
    ImageLoader images;
    // The focus tab's services, the shortcuts and the data transfer, over fakes.
    FakeAlertPresenter alerts;
    FakeFileRevealer revealer;
    FakeFileDialogs fileDialogs;
    FakeWorkspaceEvents workspace;
    FakeTrayHost tray;
    FakeHotKeyBackend hotKeyBackend;
    FakeDesktopShortcuts desktopShortcuts;
    FakeLoginItemService loginItems;
    FakeUserScripts scripts;
    FakeDesktopNotifications notifications;
    LaunchAtLogin launchAtLogin { loginItems, alerts };
    FakeFocusSilencer silencer;
    FakeFocusNotifier notifier;
    FakeFocusTimers timers;
    FocusSessionManager focus { silencer, notifier, preferences, settings, clock, timers };
    std::unique_ptr<HotKeys> hotKeys;
    std::unique_ptr<DataTransfer> transfer;
    Surface surface;
    int closes = 0;
    int expands = 0;
    QList<SettingsPane> settingsOpened;
    QStringList sounds;
    SoundBank bank { [this](const QString &path) -> std::unique_ptr<SoundPlayer> {
        return std::make_unique<Player>(path.section(QLatin1Char('/'), -1), sounds);
    } };

    TabFixture()
    {
        store = TodoStore::make(dir.filePath(QStringLiteral("Todos.store")), &clock);
        clipboard = ClipboardStore::make(dir.filePath(QStringLiteral("Clipboard")));
        monitor = std::make_unique<ClipboardMonitor>(*clipboard, preferences, systemClipboard, frontApp, clock);
        hotKeys = HotKeys::makeDefault(settings, hotKeyBackend, desktopShortcuts);
        transfer = std::make_unique<DataTransfer>(*store, *clipboard, fileDialogs, alerts, clock);
        QObject::connect(&surface, &Surface::closeRequested, &surface, [this] {
            ++closes;
            surface.setVisible(false);
        });
        QObject::connect(&surface, &Surface::expandRequested, &surface, [this] { ++expands; });
        QObject::connect(&surface, &Surface::settingsRequested, &surface,
            [this](SettingsPane pane) { settingsOpened.append(pane); });
    }

    Environment environment()
    {
        return Environment {
            .settings = settings,
            .alerts = alerts,
            .revealer = revealer,
            .fileDialogs = fileDialogs,
            .workspace = workspace,
            .tray = tray,
            .hotKeyBackend = hotKeyBackend,
            .desktopShortcuts = desktopShortcuts,
            .clock = clock,
            .systemClipboard = systemClipboard,
            .frontApp = frontApp,
            .loginItems = loginItems,
            .updateDriver = updateDriver,
            .sounds = bank,
            .scripts = scripts,
            .notifications = notifications,
            .preferences = preferences,
            .launchAtLogin = launchAtLogin,
            .todos = *store,
            .clipboard = *clipboard,
            .monitor = *monitor,
            .images = images,
            .focus = focus,
            .hotKeys = *hotKeys,
            .transfer = *transfer,
            .updater = updater,
        };
    }

    Todo add(const QString &title, std::optional<QDate> day = std::nullopt, bool done = false)
    {
        const Todo todo = *store->add(title, day);
        if (done)
            store->toggle(todo.id);
        return *store->todo(todo.id);
    }

private:
    class Player final : public SoundPlayer
    {
    public:
        Player(QString name, QStringList &log)
            : m_name(std::move(name))
            , m_log(log)
        {
        }
        void setVolume(qreal) override { }
        void stop() override { }
        void play() override { m_log << m_name; }

    private:
        QString m_name;
        QStringList &m_log;
    };
};
