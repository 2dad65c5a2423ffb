#include "App/Tray/StatusMenu.h"

#include <QMenu>
#include <QTest>

namespace {

QStringList titles(const QList<StatusMenu::Entry> &entries)
{
    QStringList list;
    for (const StatusMenu::Entry &entry : entries)
        list << (entry.isSeparator() ? QStringLiteral("-") : entry.title);
    return list;
}

const StatusMenu::Entry *find(const QList<StatusMenu::Entry> &entries, const QString &title)
{
    for (const StatusMenu::Entry &entry : entries) {
        if (entry.title == title)
            return &entry;
    }
    return nullptr;
}

StatusMenu::State ordinary()
{
    StatusMenu::State state;
    state.hasServices = true;
    return state;
}

} // namespace

Q_DECLARE_METATYPE(StatusMenu::State)

class TestStatusMenu final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entriesForEachState_data()
    {
        QTest::addColumn<StatusMenu::State>("state");
        QTest::addColumn<QStringList>("expected");

        const QStringList tail { QStringLiteral("-"), QStringLiteral("Open Vemra Window"), QStringLiteral("Settings…"),
            QStringLiteral("-"), QStringLiteral("Launch at Login") };
        const QStringList end { QStringLiteral("About Vemra"), QStringLiteral("Quit Vemra") };

        QTest::newRow("idle") << ordinary()
                              << QStringList { QStringLiteral("Start Focus Session…") } + tail
                + QStringList { QStringLiteral("Pause Clipboard History"), QStringLiteral("-"),
                      QStringLiteral("Check for Updates…") }
                + end;

        StatusMenu::State session = ordinary();
        session.focusClock = QStringLiteral("24:59");
        QTest::newRow("session") << session
                                 << QStringList { QStringLiteral("Focus Session active · 24:59 remaining"),
                                        QStringLiteral("View Focus"), QStringLiteral("End Focus Session") }
                + tail
                + QStringList { QStringLiteral("Pause Clipboard History"), QStringLiteral("-"),
                      QStringLiteral("Check for Updates…") }
                + end;

        StatusMenu::State off = ordinary();
        off.monitorsClipboard = false;
        off.isClipboardPaused = true;
        QTest::newRow("recording switched off") << off
                                                << QStringList { QStringLiteral("Start Focus Session…") } + tail
                + QStringList { QStringLiteral("-"), QStringLiteral("Check for Updates…") } + end;

        StatusMenu::State update = ordinary();
        update.availableVersion = QStringLiteral("2.1");
        QTest::newRow("update found") << update
                                      << QStringList { QStringLiteral("Start Focus Session…") } + tail
                + QStringList { QStringLiteral("Pause Clipboard History"), QStringLiteral("-"),
                      QStringLiteral("Update to Vemra 2.1…") }
                + end;

        // Without the services neither the session nor the update is offered.
        StatusMenu::State bare = session;
        bare.hasServices = false;
        bare.availableVersion = QStringLiteral("2.1");
        QTest::newRow("no services") << bare
                                     << QStringList { QStringLiteral("Start Focus Session…") } + tail
                + QStringList { QStringLiteral("Pause Clipboard History"), QStringLiteral("-"),
                      QStringLiteral("Check for Updates…") }
                + end;
    }

    void entriesForEachState()
    {
        QFETCH(StatusMenu::State, state);
        QFETCH(QStringList, expected);
        QCOMPARE(titles(StatusMenu::entries(state)), expected);
    }

    void statesAndActions()
    {
        StatusMenu::State state = ordinary();
        state.focusClock = QStringLiteral("00:00");
        state.launchesAtLogin = true;
        state.isClipboardPaused = true;
        const QList<StatusMenu::Entry> entries = StatusMenu::entries(state);

        const auto *status = find(entries, QStringLiteral("Focus Session active · 00:00 remaining"));
        QVERIFY(status);
        QVERIFY(!status->enabled);
        QCOMPARE(status->action, StatusMenu::Action::None);
        QCOMPARE(find(entries, QStringLiteral("View Focus"))->action, StatusMenu::Action::ViewFocus);
        QCOMPARE(find(entries, QStringLiteral("End Focus Session"))->action, StatusMenu::Action::EndFocus);

        const auto *launch = find(entries, QStringLiteral("Launch at Login"));
        QVERIFY(launch->checkable && launch->checked);
        const auto *pause = find(entries, QStringLiteral("Pause Clipboard History"));
        QVERIFY(pause->checkable && pause->checked);
        QCOMPARE(pause->action, StatusMenu::Action::ToggleClipboardPause);

        state.launchesAtLogin = false;
        state.isClipboardPaused = false;
        const QList<StatusMenu::Entry> unchecked = StatusMenu::entries(state);
        QVERIFY(!find(unchecked, QStringLiteral("Launch at Login"))->checked);
        QVERIFY(!find(unchecked, QStringLiteral("Pause Clipboard History"))->checked);

        const auto *quit = find(entries, QStringLiteral("Quit Vemra"));
        QCOMPARE(quit->action, StatusMenu::Action::Quit);
        QCOMPARE(quit->shortcut, QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(find(entries, QStringLiteral("About Vemra"))->action, StatusMenu::Action::About);
        QCOMPARE(find(entries, QStringLiteral("Settings…"))->action, StatusMenu::Action::OpenSettings);
        QCOMPARE(find(entries, QStringLiteral("Open Vemra Window"))->action, StatusMenu::Action::OpenWindow);
    }

    // A build without an update source shows its check entry disabled, as its settings do.
    void theCheckNeedsAnUpdateSource()
    {
        StatusMenu::State state = ordinary();
        QVERIFY(find(StatusMenu::entries(state), QStringLiteral("Check for Updates…"))->enabled);
        state.hasUpdateSource = false;
        const QList<StatusMenu::Entry> entries = StatusMenu::entries(state);
        const auto *check = find(entries, QStringLiteral("Check for Updates…"));
        QVERIFY(!check->enabled);
        QCOMPARE(check->action, StatusMenu::Action::CheckForUpdates);
    }

    void filledMenuTriggersTheHandler()
    {
        StatusMenu::State state = ordinary();
        state.focusClock = QStringLiteral("12:00");
        QMenu menu;
        QList<StatusMenu::Action> chosen;
        StatusMenu::fill(
            &menu, StatusMenu::entries(state), this, [&chosen](StatusMenu::Action action) { chosen << action; });

        const QList<QAction *> actions = menu.actions();
        QCOMPARE(actions.size(), StatusMenu::entries(state).size());
        for (QAction *action : actions)
            action->trigger();
        QCOMPARE(chosen,
            (QList<StatusMenu::Action> { StatusMenu::Action::ViewFocus, StatusMenu::Action::EndFocus,
                StatusMenu::Action::OpenWindow, StatusMenu::Action::OpenSettings,
                StatusMenu::Action::ToggleLaunchAtLogin, StatusMenu::Action::ToggleClipboardPause,
                StatusMenu::Action::CheckForUpdates, StatusMenu::Action::About, StatusMenu::Action::Quit }));
        QVERIFY(actions.at(1)->isSeparator() == false);
        QVERIFY(actions.at(3)->isSeparator());
        QVERIFY(!actions.at(0)->isEnabled());
    }
};

QTEST_MAIN(TestStatusMenu)
#include "tst_StatusMenu.moc"
