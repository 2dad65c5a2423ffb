// Cost of a running focus session while the panel is closed: once a second the manager ticks,
// the hidden focus tab follows it and the tray icon is drawn anew with the countdown. Measures
// the processor time and the growth of the resident memory over a minute (VEMRA_BENCH_SECONDS
// shortens it), against a quiet stretch of the same length before the session.
#include "App/Tray/TrayIconImage.h"
#include "App/Tray/TrayTimerImage.h"
#include "Models/Focus/FocusClock.h"
#include "Platform/Clock.h"
#include "Platform/DesktopNotifications.h"
#include "Platform/DesktopShortcuts.h"
#include "Platform/HotKeyBackend.h"
#include "Platform/linux/QtSettingsStore.h"
#include "Platform/linux/ScriptFolder.h"
#include "Services/Focus/FocusNotifier.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Focus/FocusTabState.h"
#include "Services/Focus/ShortcutsFocusSilencer.h"
#include "Services/Focus/SystemFocusTimers.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Services/Sound/SoundBank.h"
#include "Views/Focus/FocusView.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

class NoNotifications final : public DesktopNotifications
{
public:
    QCoro::Task<quint32> post(QString, QString, quint32) override { co_return quint32(0); }
};

// No global shortcuts on the offscreen display: the footer names none.
class NoHotKeys final : public HotKeyBackend
{
public:
    bool isAvailable() const override { return false; }
    Registration registerHotKey(quint32, quint32, quint32) override { return { Outcome::Unavailable, 0 }; }
    void unregisterHotKey(quint32) override { }
};

class NoDesktopShortcuts final : public DesktopShortcuts
{
public:
    void read() override { Q_EMIT answered(); }
    bool lists(quint32, quint32) const override { return false; }
};

double processorSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

struct Stretch
{
    double processor;
    double residentGrowth;
};

Stretch run(int seconds)
{
    const double processorBefore = processorSeconds();
    const double residentBefore = residentMegabytes();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return { processorSeconds() - processorBefore, residentMegabytes() - residentBefore };
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = qEnvironmentVariableIntValue("VEMRA_BENCH_SECONDS") > 0
        ? qEnvironmentVariableIntValue("VEMRA_BENCH_SECONDS")
        : 60;

    QTemporaryDir home;
    QtSettingsStore settings(home.filePath(QStringLiteral("Vemra.ini")));
    Preferences preferences(settings);
    SystemClock clock;
    ScriptFolder scripts(home.filePath(QStringLiteral("Shortcuts")));
    ShortcutsFocusSilencer silencer(scripts);
    NoNotifications notifications;
    SoundBank sounds;
    FocusNotifier notifier(notifications, sounds);
    SystemFocusTimers timers;
    FocusSessionManager focus(silencer, notifier, preferences, settings, clock, timers);

    NoHotKeys hotKeyBackend;
    NoDesktopShortcuts desktopShortcuts;
    const auto hotKeys = HotKeys::makeDefault(settings, hotKeyBackend, desktopShortcuts);
    Surface surface;
    FocusTabState state(focus, preferences, surface, true);
    FocusView tab(state, *hotKeys, Density::Compact);

    // What the tray host is handed at every change.
    int ticks = 0;
    QIcon trayIcon;
    QString trayToolTip;
    QObject::connect(&focus, &FocusSessionManager::changed, &app, [&] {
        ++ticks;
        const double remaining = focus.remaining();
        trayIcon
            = TrayTimerImage::icon(FocusClock::text(remaining), TrayIconImage::markColour(QGuiApplication::palette()));
        trayToolTip = QStringLiteral("Vemra, Focus Session, ") + FocusClock::spoken(remaining);
    });

    const Stretch quiet = run(seconds);
    focus.start(25, false);
    ticks = 0;
    const Stretch session = run(seconds);

    std::printf("running focus session, panel closed, over %d s (%d tray redraws):\n", seconds, ticks);
    std::printf("  processor: %.3f s = %.3f %% of one core (quiet before it: %.3f %%)\n", session.processor,
        100.0 * session.processor / seconds, 100.0 * quiet.processor / seconds);
    std::printf(
        "  resident memory growth: %.2f MB (quiet before it: %.2f MB)\n", session.residentGrowth, quiet.residentGrowth);
    return 0;
}
