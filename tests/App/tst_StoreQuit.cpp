#include "AppHarness.h"
#include "FullDisk.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Todos/TodoStore.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

ClipboardCapture textCapture(const QString &text, const QDateTime &when)
{
    ClipboardCapture capture;
    capture.id = QUuid::createUuid();
    capture.kind = ClipboardKind::Text;
    capture.content = text;
    capture.contentHash
        = QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
    capture.mimeType = u"public.utf8-plain-text"_s;
    capture.byteCount = text.toUtf8().size();
    capture.copiedAt = when;
    capture.firstCopiedAt = when;
    return capture;
}

} // namespace

// Quitting after a save failed (a full disk): the stores get a last try, and what still can't be
// written is told before it goes.
class TestStoreQuit final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quitWritesWhatAFailedSaveLeft_data()
    {
        QTest::addColumn<bool>("roomBeforeQuit");
        QTest::addColumn<bool>("roomAtTheAlert");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("alerts");
        QTest::addColumn<bool>("kept");
        QTest::newRow("room came back before") << true << false << QList<int>() << 0 << true;
        QTest::newRow("room made, then Try Again") << false << true << QList<int> { 0 } << 1 << true;
        QTest::newRow("Try Again on a full disk, then Quit Anyway")
            << false << false << QList<int> { 0, 1 } << 2 << false;
    }

    void quitWritesWhatAFailedSaveLeft()
    {
        QFETCH(bool, roomBeforeQuit);
        QFETCH(bool, roomAtTheAlert);
        QFETCH(QList<int>, answers);
        QFETCH(int, alerts);
        QFETCH(bool, kept);

        AppHarness h;
        FullDisk disk(h.home.dataFolder());
        h.start();
        disk.fill();
        h.delegate->environment().todos.add(u"waiting"_s, std::nullopt);
        h.delegate->environment().clipboard.record(textCapture(u"waiting"_s, h.clock.now()));
        QTRY_COMPARE(h.alerts.alerts().size(), 2); // each failure as it happened

        h.alerts.clear();
        if (roomBeforeQuit)
            disk.free();
        h.alerts.onPresent = [&](const Alert &) {
            if (roomAtTheAlert)
                disk.free();
        };
        h.alerts.answerWith(answers);
        QSignalSpy quit(h.delegate.get(), &AppDelegate::quitRequested);
        h.delegate->quit();
        QCOMPARE(quit.count(), 1);
        QCOMPARE(h.alerts.alerts().size(), alerts);
        for (const Alert &alert : h.alerts.alerts()) {
            QCOMPARE(alert.title, u"Vemra couldn’t save your latest changes."_s);
            QCOMPARE(alert.informativeText,
                u"The disk is full. If you quit now, they will be lost: make room on the disk, then try again."_s);
            QCOMPARE(alert.buttons, (QStringList { u"Try Again"_s, u"Quit Anyway"_s }));
        }

        h.delegate.reset();
        disk.free();
        QCOMPARE(TodoStore::makeDefault()->allTodos().size(), kept ? 1 : 0);
        QCOMPARE(ClipboardStore::makeDefault()->count(), kept ? 1 : 0);
    }
};

QTEST_MAIN(TestStoreQuit)
#include "tst_StoreQuit.moc"
