#include "Services/Storage/StoreSave.h"

#include <QPromise>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Save = StoreSave<int, Status>;
using Report = Save::Report;

} // namespace

class TestStoreSave final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What each store relies on when saves are asked for while one is under way: they wait as
    // one, which is told when any of them was to be, and one asked while a failure is told
    // is not told again.
    void savesAskedMeanwhileWaitAsOne_data()
    {
        QTest::addColumn<QList<Report>>("asks");
        QTest::addColumn<bool>("telling");
        QTest::addColumn<std::optional<Report>>("due");
        QTest::newRow("none") << QList<Report> {} << false << std::optional<Report>();
        QTest::newRow("a retry") << QList<Report> { Report::Quietly } << false << std::optional(Report::Quietly);
        QTest::newRow("a change, then a retry")
            << QList<Report> { Report::Failure, Report::Quietly } << false << std::optional(Report::Failure);
        QTest::newRow("a retry, then a change")
            << QList<Report> { Report::Quietly, Report::Failure } << false << std::optional(Report::Failure);
        QTest::newRow("a change while a failure is told")
            << QList<Report> { Report::Failure } << true << std::optional(Report::Quietly);
    }

    void savesAskedMeanwhileWaitAsOne()
    {
        QFETCH(QList<Report>, asks);
        QFETCH(bool, telling);
        QFETCH(std::optional<Report>, due);
        Save save(u"the notes"_s);
        QPromise<Status> write;
        write.start();
        save.begin(1, Report::Failure, write.future());
        const auto ask = [&] {
            for (Report report : asks)
                QVERIFY(!save.admit(report));
        };
        if (telling)
            save.failed(Error { u"Not saved."_s, u"disk full"_s }, Report::Failure, [&](const Error &) { ask(); });
        else
            ask();
        write.addResult(Status());
        write.finish();
        QTRY_VERIFY(save.watcher().isFinished());
        const std::optional<Save::Done> done = save.finish();
        QVERIFY(done && done->taken == 1 && done->report == Report::Failure);
        QVERIFY(!save.isUnderWay());
        QCOMPARE(save.asked(), due);
        QCOMPARE(save.admit(Report::Failure), std::optional(Report::Failure));
    }
};

QTEST_GUILESS_MAIN(TestStoreSave)
#include "tst_StoreSave.moc"
