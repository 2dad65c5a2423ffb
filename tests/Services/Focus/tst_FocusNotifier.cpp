#include "FakeDesktopNotifications.h"
#include "Models/Focus/FocusSession.h"
#include "Services/Focus/FocusNotifier.h"
#include "SoundLog.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Runs with TZ=America/New_York and en_US.
class TestFocusNotifier final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void announcement_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("late");
        QTest::addColumn<QString>("body");
        QTest::newRow("25 minutes") << 25 << false << u"Your 25-minute focus session is finished."_s;
        QTest::newRow("2 hours") << 120 << false << u"Your 2-hour focus session is finished."_s;
        QTest::newRow("1 hr 30 min") << 90 << false << u"Your 1 hr 30 min focus session is finished."_s;
        // Late: the planned end, not the time of posting.
        QTest::newRow("late") << 25 << true << u"Your 25-minute focus session finished at 9:25 AM."_s;
    }

    void announcement()
    {
        QFETCH(int, minutes);
        QFETCH(bool, late);
        FakeDesktopNotifications desktop;
        SoundLog sounds;
        FocusNotifier notifier(desktop, sounds.bank());
        FocusSession session = FocusSession::make(minutes, QDateTime(QDate(2026, 5, 4), QTime(9, 0)));
        session.isActive = false;
        session.endedAt = session.endsAt;
        notifier.prepare();
        QVERIFY(desktop.posted.isEmpty());
        notifier.announceCompletion(session, late);
        notifier.announceCompletion(session, late);
        QCOMPARE(desktop.posted.size(), 2);
        QCOMPARE(desktop.posted.last().tag, u"focus-complete"_s);
        QCOMPARE(desktop.posted.last().summary, u"Focus complete"_s);
        QTEST(desktop.posted.last().body, "body");
        notifier.playCompletionSound();
        QCOMPARE(sounds.played(), QStringList { u"focus-complete"_s });
    }
};

QTEST_GUILESS_MAIN(TestFocusNotifier)
#include "tst_FocusNotifier.moc"
