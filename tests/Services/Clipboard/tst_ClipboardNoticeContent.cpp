#include "Services/Clipboard/ClipboardNoticeContent.h"
#include "Services/Clipboard/Relaunch.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ClipboardAccess)

using namespace ClipboardNoticeContent;

namespace {

class FakeRelaunch final : public Relaunch
{
public:
    bool starts = false;
    int quits = 0;

protected:
    bool startNewInstance() override { return starts; }
    void quit() override { ++quits; }
};

} // namespace

class tst_ClipboardNoticeContent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void precedence_data();
    void precedence();
    void reopenQuitsOnlyOnceTheNewInstanceStarted();
};

void tst_ClipboardNoticeContent::precedence_data()
{
    QTest::addColumn<bool>("monitors");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<ClipboardAccess>("access");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("buttons");

    const QStringList turnOn { u"Turn On"_s };
    const QStringList reopen { u"Reopen Vemra"_s };
    QTest::newRow("off wins over a denial")
        << false << true << ClipboardAccess::Denied << u"Clipboard history is off"_s << turnOn;
    QTest::newRow("paused wins over any permission")
        << true << true << ClipboardAccess::Asks << u"Clipboard history paused"_s << QStringList { u"Resume"_s };
    QTest::newRow("recording freely shows nothing")
        << true << false << ClipboardAccess::Allowed << u""_s << QStringList {};
    QTest::newRow("never asked") << true << false << ClipboardAccess::NotAsked << u"Allow Vemra to see what you copy"_s
                                 << QStringList { u"Allow\u2026"_s };
    QTest::newRow("asks every time") << true << false << ClipboardAccess::Asks << u"One more step"_s << reopen;
    QTest::newRow("denied") << true << false << ClipboardAccess::Denied << u"Vemra can\u2019t see what you copy"_s
                            << reopen;
}

void tst_ClipboardNoticeContent::precedence()
{
    QFETCH(bool, monitors);
    QFETCH(bool, paused);
    QFETCH(ClipboardAccess, access);
    QFETCH(QString, title);
    QFETCH(QStringList, buttons);

    const std::optional<Reason> shown = reason(monitors, paused, access);
    QCOMPARE(shown.has_value(), !title.isEmpty());
    if (!shown)
        return;
    const Content words = content(*shown);
    QCOMPARE(words.title, title);
    QStringList titles;
    for (const Action action : words.actions)
        titles << actionTitle(action);
    QCOMPARE(titles, buttons);
    QCOMPARE(words.isLine, !monitors || paused);
}

void tst_ClipboardNoticeContent::reopenQuitsOnlyOnceTheNewInstanceStarted()
{
    FakeRelaunch relaunch;
    QVERIFY(!relaunch.now());
    QCOMPARE(relaunch.quits, 0);
    relaunch.starts = true;
    QVERIFY(relaunch.now());
    QCOMPARE(relaunch.quits, 1);
}

QTEST_GUILESS_MAIN(tst_ClipboardNoticeContent)
#include "tst_ClipboardNoticeContent.moc"
