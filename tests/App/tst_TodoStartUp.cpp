#include "AppHarness.h"
#include "Platform/DataPaths.h"
#include "Services/Todos/TodoStore.h"

#include <QApplication>
#include <QFile>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>
#include <QThreadPool>
#include <QUuid>

using namespace Qt::StringLiterals;

// The todo store's part of start-up: it is made first, its failures reach the user as alerts,
// and a store file that cannot be opened is reported before the panel appears.
class TestTodoStartUp final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bothStoresFailingAreReportedInOrderBeforeThePanel()
    {
        AppHarness h;
        QVERIFY(DataPaths::ensureFolder(h.home.dataFolder()));
        const QString todos = h.home.dataFolder() + u"/Todos.store"_s;
        QFile garbage(todos);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("not a database");
        garbage.close();
        QFile blocker(h.home.dataFolder() + u"/Clipboard"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        bool panelDuringAlerts = false;
        h.alerts.onPresent
            = [&](const Alert &) { panelDuringAlerts = panelDuringAlerts || h.delegate->isTrayPanelShown(); };
        h.alerts.answerWith({ 1, 0 });
        h.start();

        QCOMPARE(h.alerts.alerts().size(), 2);
        QCOMPARE(h.alerts.alerts().at(0).title, u"Vemra couldn’t open your saved todos."_s);
        QVERIFY(h.alerts.alerts().at(0).informativeText.startsWith(u"Nothing has been changed or deleted."_s));
        QCOMPARE(h.alerts.alerts().at(1).title, u"Vemra couldn’t open your clipboard history."_s);
        QCOMPARE(h.revealer.revealed(), QStringList { todos });
        QVERIFY(!panelDuringAlerts);
        QVERIFY(h.delegate->isTrayPanelShown());
        QFile check(todos);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("not a database"));

        // The store runs in memory, and a failed save would be told with the todos' own detail.
        TodoStore *store = &h.delegate->environment().todos;
        QVERIFY(store && store->loadError() && store->add(u"kept for now"_s, std::nullopt));
        // Failing again while its alert is up adds no second alert; once dismissed, it is told again.
        const Error failure { u"Not written."_s, u"disk I/O error"_s };
        int again = 1;
        h.alerts.onPresent = [&](const Alert &) {
            if (again-- > 0)
                Q_EMIT store->saveFailed(TodoStore::saveFailedMessage(), failure);
        };
        Q_EMIT store->saveFailed(TodoStore::saveFailedMessage(), failure);
        QCOMPARE(h.alerts.alerts().size(), 3);
        QCOMPARE(h.alerts.alerts().at(2).title, u"Vemra couldn’t save your latest change."_s);
        QVERIFY(h.alerts.alerts().at(2).informativeText.startsWith(
            u"Your todos are still here. Vemra will try again with your next change.\n\n"_s));
        Q_EMIT store->saveFailed(TodoStore::saveFailedMessage(), failure);
        QCOMPARE(h.alerts.alerts().size(), 4);
    }

    // A file whose first page is sound and whose inside is damaged is found so by the check in
    // the background, before start-up is over or after the panel has shown. An alert runs an
    // event loop of its own, as a real one does: the failure is told once, with no panel over
    // it, and the panel shows once it is dismissed.
    void aFileFoundDamagedByTheCheckIsToldOnceBeforeThePanel_data()
    {
        QTest::addColumn<bool>("checkEndsFirst");
        QTest::newRow("check over before start-up") << true;
        QTest::newRow("check over after the panel showed") << false;
    }

    void aFileFoundDamagedByTheCheckIsToldOnceBeforeThePanel()
    {
        QFETCH(bool, checkEndsFirst);
        AppHarness h;
        QVERIFY(DataPaths::ensureFolder(h.home.dataFolder()));
        const QString todos = h.home.dataFolder() + u"/Todos.store"_s;
        QList<ExportedTodo> stored;
        for (int i = 0; i < 1000; ++i) {
            ExportedTodo record;
            record.id = QUuid::createUuid();
            record.title = u"stored %1 "_s.arg(i) + QString(200, u'x');
            record.createdAt = QDateTime::currentDateTimeUtc();
            record.sortOrder = i;
            stored << record;
        }
        QVERIFY(TodoStore::make(todos)->insertImported(stored));
        {
            QFile file(todos);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(file.size() / 2 / 4096 * 4096));
            file.write(QByteArray(4096, '\x5a'));
        }

        QList<bool> panelDuringAlerts;
        h.alerts.onPresent = [&](const Alert &) {
            panelDuringAlerts << h.delegate->isTrayPanelShown();
            QCoreApplication::processEvents();
        };
        // The worker that would check the file is held until the panel has shown.
        QThreadPool &pool = *QThreadPool::globalInstance();
        const int threads = pool.maxThreadCount();
        QSemaphore held;
        const auto release = qScopeGuard([&] {
            held.release();
            pool.setMaxThreadCount(threads);
        });
        if (!checkEndsFirst) {
            pool.setMaxThreadCount(1);
            pool.start([&held] { held.acquire(); });
        }
        h.create().start();
        TodoStore &store = h.delegate->environment().todos;
        if (checkEndsFirst) {
            store.waitForCheck();
        } else {
            // Only the end of start-up: painting waits on the held pool.
            QCoreApplication::sendPostedEvents(h.delegate.get(), QEvent::MetaCall);
            QVERIFY(store.isChecking());
            QVERIFY(h.delegate->isTrayPanelShown());
            held.release();
            pool.setMaxThreadCount(threads);
        }
        QTRY_VERIFY(!store.isChecking());
        QCoreApplication::processEvents();

        QCOMPARE(h.alerts.alerts().size(), 1);
        QCOMPARE(h.alerts.alerts().at(0).title, u"Vemra couldn’t open your saved todos."_s);
        QCOMPARE(panelDuringAlerts, QList<bool> { false });
        QVERIFY(h.delegate->isTrayPanelShown());
    }
};

QTEST_MAIN(TestTodoStartUp)
#include "tst_TodoStartUp.moc"
