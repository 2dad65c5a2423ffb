#include "App/SettingsWindowController.h"
#include "AppHarness.h"
#include "ClipboardHistory.h"
#include "Services/Clipboard/ClipboardMonitor.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Shell/Preferences.h"
#include "Services/Transfer/DataTransfer.h"
#include "Views/Clipboard/ClearHistoryMenu.h"
#include "Views/Settings/ClipboardSettings.h"
#include "Views/Settings/SettingsRow.h"
#include "Views/Settings/SettingsSwitch.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QTest>

class TestClipboardSettings final : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppHarness> app;

    ClipboardSettings *openPane()
    {
        app->start();
        app->delegate->showSettings(SettingsPane::Clipboard);
        auto *pane = qobject_cast<ClipboardSettings *>(app->delegate->settings()->paneView(SettingsPane::Clipboard));
        Q_ASSERT(pane);
        return pane;
    }
    ClipboardStore &store() { return app->delegate->environment().clipboard; }
    void copy(const QString &text, const QDateTime &when)
    {
        store().record(ClipboardHistory::capture(ClipboardKind::Text, text, when));
    }

private Q_SLOTS:
    void init() { app = std::make_unique<AppHarness>(); }
    void cleanup() { app.reset(); }

    void countLine_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("line");
        QTest::newRow("none") << qint64(0) << QStringLiteral("Nothing copied yet");
        QTest::newRow("one") << qint64(1) << QStringLiteral("1 item, kept until you delete them");
        QTest::newRow("two") << qint64(2) << QStringLiteral("2 items, kept until you delete them");
        QTest::newRow("grouped") << qint64(1234) << QStringLiteral("1,234 items, kept until you delete them");
    }
    void countLine()
    {
        QFETCH(qint64, count);
        QFETCH(QString, line);
        QCOMPARE(ClipboardSettings::countLine(count), line);
    }

    // Every change of the history is counted again, with no timer: a copy, a deletion.
    void countFollowsTheHistory()
    {
        ClipboardSettings *pane = openPane();
        QCOMPARE(pane->clearRow()->subtitle(), QStringLiteral("Nothing copied yet"));
        QVERIFY(!pane->clearMenu()->isEnabled());
        QVERIFY(!pane->exportButton()->isEnabled());
        copy(QStringLiteral("first"), app->clock.now());
        QCOMPARE(pane->clearRow()->subtitle(), QStringLiteral("1 item, kept until you delete them"));
        QVERIFY(pane->clearMenu()->isEnabled());
        QVERIFY(pane->exportButton()->isEnabled());

        // The history alone is exported; the button waits for the export to end.
        const QString file = app->home.path() + QStringLiteral("/clipboard.json");
        app->fileDialogs.answerWith({ file });
        QTest::mouseClick(pane->exportButton(), Qt::LeftButton);
        QVERIFY(!pane->exportButton()->isEnabled());
        QTRY_VERIFY(pane->exportButton()->isEnabled());
        QVERIFY(QFileInfo(file).size() > 0);
        QVERIFY(app->delegate->environment().transfer.lastResult()->contains(QStringLiteral("1 clipboard item")));

        // Started from the keyboard, the focus waits in the pane, not on the toolbar, and is
        // back on the button when the export ends.
        QWidget *window = pane->window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        app->fileDialogs.answerWith({ file });
        pane->exportButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pane->exportButton(), Qt::Key_Space);
        QVERIFY(!pane->exportButton()->isEnabled());
        QCOMPARE(window->focusWidget(), pane);
        QTRY_VERIFY(pane->exportButton()->isEnabled());
        QVERIFY(pane->exportButton()->hasFocus());
    }

    void noticeOnlyForAMissingPermission_data()
    {
        QTest::addColumn<bool>("monitors");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<ClipboardAccess>("access");
        QTest::addColumn<bool>("notice");
        QTest::addColumn<bool>("pauseEnabled");
        QTest::newRow("recording") << true << false << ClipboardAccess::Allowed << false << true;
        QTest::newRow("denied") << true << false << ClipboardAccess::Denied << true << true;
        QTest::newRow("not asked") << true << false << ClipboardAccess::NotAsked << true << true;
        QTest::newRow("paused and denied") << true << true << ClipboardAccess::Denied << false << true;
        QTest::newRow("off and denied") << false << false << ClipboardAccess::Denied << false << false;
        QTest::newRow("off and paused") << false << true << ClipboardAccess::Allowed << false << false;
    }
    void noticeOnlyForAMissingPermission()
    {
        QFETCH(bool, monitors);
        QFETCH(bool, paused);
        QFETCH(ClipboardAccess, access);
        QFETCH(bool, notice);
        QFETCH(bool, pauseEnabled);
        app->systemClipboard.setAccess(access);
        ClipboardSettings *pane = openPane();
        if (!monitors)
            QTest::mouseClick(pane->monitorSwitch(), Qt::LeftButton);
        if (paused)
            app->delegate->preferences().setClipboardPaused(true);
        QCOMPARE(app->delegate->preferences().monitorsClipboard(), monitors);
        QCOMPARE(pane->noticeRow()->isVisible(), notice);
        QCOMPARE(pane->pauseSwitch()->isEnabled(), pauseEnabled);
        QCOMPARE(pane->pauseSwitch()->isChecked(), paused);
        QCOMPARE(pane->pauseRow()->subtitle(),
            paused ? QStringLiteral("Clipboard history paused")
                   : QStringLiteral("Stop recording for now. Your history stays."));
    }

    // Nothing copied today: the question says so, offers only OK, and nothing goes.
    void clearingNothingOnlyInforms()
    {
        ClipboardSettings *pane = openPane();
        copy(QStringLiteral("yesterday"), app->clock.now().addDays(-1));
        pane->clear(ClearRequest::of(ClipboardPeriod::Today));
        QCOMPARE(app->alerts.alerts().size(), 1);
        QCOMPARE(app->alerts.alerts().first().title, QStringLiteral("Nothing was copied today."));
        QCOMPARE(app->alerts.alerts().first().buttons, QStringList { QStringLiteral("OK") });
        QCOMPARE(store().count(), 1);
        QVERIFY(app->sounds.played().isEmpty());
    }

    void clearingDeletesThePeriodOnConfirmation_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<qint64>("left");
        QTest::addColumn<QStringList>("sounds");
        QTest::newRow("cancel") << 0 << qint64(3) << QStringList();
        QTest::newRow("delete") << 1 << qint64(1) << QStringList { QStringLiteral("pop") };
    }
    void clearingDeletesThePeriodOnConfirmation()
    {
        QFETCH(int, answer);
        QFETCH(qint64, left);
        QFETCH(QStringList, sounds);
        ClipboardSettings *pane = openPane();
        copy(QStringLiteral("last month"), app->clock.now().addDays(-40));
        copy(QStringLiteral("this morning"), app->clock.now().addSecs(-3600));
        copy(QStringLiteral("just now"), app->clock.now());
        app->alerts.answerWith({ answer });
        pane->clear(ClearRequest::of(ClipboardPeriod::Today));
        const Alert &alert = app->alerts.alerts().first();
        QCOMPARE(alert.title, QStringLiteral("Delete 2 items copied today?"));
        QCOMPARE(alert.buttons, (QStringList { QStringLiteral("Cancel"), QStringLiteral("Delete") }));
        QCOMPARE(store().count(), left);
        QCOMPARE(pane->clearRow()->subtitle(), ClipboardSettings::countLine(left));
        QCOMPARE(app->sounds.played(), sounds);
    }

    // A copy made while the question is open changes its count, title and buttons, and the
    // deletion then covers it too, as the clipboard tab's own question does.
    void questionFollowsTheHistoryWhileOpen_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("title");
        QTest::newRow("one item, then two") << 1 << QStringLiteral("Delete 2 items copied today?");
        QTest::newRow("nothing, then one") << 0 << QStringLiteral("Delete 1 item copied today?");
    }
    void questionFollowsTheHistoryWhileOpen()
    {
        QFETCH(int, before);
        QFETCH(QString, title);
        ClipboardSettings *pane = openPane();
        copy(QStringLiteral("last month"), app->clock.now().addDays(-40));
        if (before == 1)
            copy(QStringLiteral("this morning"), app->clock.now().addSecs(-3600));
        app->alerts.onPresent = [this](const Alert &) { copy(QStringLiteral("while open"), app->clock.now()); };
        app->alerts.answerWith({ 1 });
        pane->clear(ClearRequest::of(ClipboardPeriod::Today));
        const Alert &shown = app->alerts.alerts().last();
        QCOMPARE(shown.title, title);
        QCOMPARE(shown.buttons, (QStringList { QStringLiteral("Cancel"), QStringLiteral("Delete") }));
        QCOMPARE(store().count(), 1);
        QCOMPARE(app->sounds.played(), QStringList { QStringLiteral("pop") });
    }
};

QTEST_MAIN(TestClipboardSettings)
#include "tst_ClipboardSettings.moc"
