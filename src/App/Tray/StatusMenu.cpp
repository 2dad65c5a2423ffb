#include "App/Tray/StatusMenu.h"

#include <QMenu>

namespace {

StatusMenu::Entry item(const QString &title, StatusMenu::Action action)
{
    StatusMenu::Entry entry;
    entry.title = title;
    entry.action = action;
    return entry;
}

StatusMenu::Entry separator()
{
    return {};
}

} // namespace

QList<StatusMenu::Entry> StatusMenu::entries(const State &state)
{
    QList<Entry> list;
    if (state.hasServices && state.focusClock) {
        Entry status = item(
            QStringLiteral("Focus Session active · ") + *state.focusClock + QStringLiteral(" remaining"), Action::None);
        status.enabled = false;
        list << status;
        list << item(QStringLiteral("View Focus"), Action::ViewFocus);
        list << item(QStringLiteral("End Focus Session"), Action::EndFocus);
    } else {
        list << item(QStringLiteral("Start Focus Session…"), Action::ViewFocus);
    }
    list << separator();
    list << item(QStringLiteral("Open Vemra Window"), Action::OpenWindow);
    list << item(QStringLiteral("Settings…"), Action::OpenSettings);
    list << separator();

    Entry launch = item(QStringLiteral("Launch at Login"), Action::ToggleLaunchAtLogin);
    launch.checkable = true;
    launch.checked = state.launchesAtLogin;
    list << launch;
    if (state.monitorsClipboard) {
        Entry pause = item(QStringLiteral("Pause Clipboard History"), Action::ToggleClipboardPause);
        pause.checkable = true;
        pause.checked = state.isClipboardPaused;
        list << pause;
    }
    list << separator();

    if (state.hasServices && !state.availableVersion.isEmpty())
        list << item(
            QStringLiteral("Update to Vemra ") + state.availableVersion + QStringLiteral("…"), Action::CheckForUpdates);
    else {
        Entry check = item(QStringLiteral("Check for Updates…"), Action::CheckForUpdates);
        check.enabled = state.hasUpdateSource;
        list << check;
    }
    list << item(QStringLiteral("About Vemra"), Action::About);
    Entry quit = item(QStringLiteral("Quit Vemra"), Action::Quit);
    quit.shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q);
    list << quit;
    return list;
}

void StatusMenu::fill(
    QMenu *menu, const QList<Entry> &entries, QObject *context, const std::function<void(Action)> &handler)
{
    for (const Entry &entry : entries) {
        if (entry.isSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(entry.title);
        action->setEnabled(entry.enabled);
        action->setCheckable(entry.checkable);
        action->setChecked(entry.checked);
        if (!entry.shortcut.isEmpty())
            action->setShortcut(entry.shortcut);
        if (entry.action == Action::None)
            continue;
        const Action chosen = entry.action;
        QObject::connect(action, &QAction::triggered, context, [handler, chosen] { handler(chosen); });
    }
}
