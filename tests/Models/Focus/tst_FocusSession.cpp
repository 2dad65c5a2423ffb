#include "Models/Focus/FocusSession.h"
#include "Models/Focus/FocusSessionCoding.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FocusSilencing)

namespace {

// 786300000.25 s after 1 January 2001 UTC.
const QDateTime start = QDateTime::fromMSecsSinceEpoch(978'307'200'000 + 786'300'000'250, Qt::UTC);

QByteArray stored(const QString &silencing, const QString &rest = {})
{
    return (uR"({"id":"5c0f2a8e-1b7d-4e39-9a61-3f2d8c4b7e10","startedAt":786300000.25,"endsAt":786301500.25,)"
            uR"("duration":1500,"silencing":)"_s
        + silencing + (rest.isEmpty() ? uR"(,"isActive":true)"_s : rest) + u'}')
        .toUtf8();
}

} // namespace

class TestFocusSession final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void derivedValues()
    {
        FocusSession session = FocusSession::make(25, start);
        QCOMPARE(session.endsAt, start.addSecs(1500));
        QCOMPARE(session.remaining(session.endsAt), 0.0);
        QCOMPARE(session.remaining(session.endsAt.addSecs(30)), 0.0);
        QCOMPARE(session.remaining(session.endsAt.addSecs(-1)), 1.0);
        QVERIFY(!session.didComplete());
        session.endedAt = session.endsAt;
        QVERIFY(session.didComplete());
        session.endedAt = session.endsAt.addMSecs(-1);
        QVERIFY(!session.didComplete());

        QCOMPARE(session.minutes(), 25);
        session.duration = 5370; // 89.5 minutes
        QCOMPARE(session.minutes(), 90);
        session.duration = 86'400;
        QCOMPARE(session.minutes(), 1440);
        session.duration = 1e300;
        QCOMPARE(session.minutes(), 1'000'000'000);
    }

    void roundTrip_data()
    {
        QTest::addColumn<FocusSilencing>("silencing");
        QTest::addColumn<bool>("isActive");
        QTest::addColumn<quint32>("notificationId");
        QTest::newRow("pending") << FocusSilencing::pending() << true << 0u;
        QTest::newRow("turning on") << FocusSilencing::turningOn() << true << 0u;
        QTest::newRow("with the last notification") << FocusSilencing::none() << false << 0xFFFF'FFFFu;
        QTest::newRow("none") << FocusSilencing::none() << true << 0u;
        QTest::newRow("turned on") << FocusSilencing::turnedOn(u"Do Not Disturb \"x\""_s) << true << 0u;
        QTest::newRow("already on") << FocusSilencing::alreadyOn(u"Work"_s) << false << 0u;
        QTest::newRow("failed") << FocusSilencing::failed() << false << 0u;
    }

    void roundTrip()
    {
        QFETCH(FocusSilencing, silencing);
        QFETCH(bool, isActive);
        QFETCH(quint32, notificationId);
        FocusSession session = FocusSession::make(25, start);
        session.silencing = silencing;
        session.isActive = isActive;
        session.notificationId = notificationId;
        if (!isActive)
            session.endedAt = start.addSecs(660);

        const QByteArray bytes = FocusSessionCoding::encode(session).value();
        const QJsonObject object = QJsonDocument::fromJson(bytes).object();
        QCOMPARE(object.value(u"id"_s).toString(), session.id.toString(QUuid::WithoutBraces).toUpper());
        QCOMPARE(object.value(u"startedAt"_s).toDouble(), 786300000.25);
        QCOMPARE(object.value(u"duration"_s).toDouble(), 1500.0);
        QCOMPARE(object.contains(u"endedAt"_s), !isActive);
        QCOMPARE(object.contains(u"notificationId"_s), notificationId != 0);
        QVERIFY(!bytes.contains('\n') && !bytes.contains("\": "));

        const Result<FocusSession> decoded = FocusSessionCoding::decode(bytes);
        QVERIFY2(decoded.ok(), qPrintable(decoded ? QString() : decoded.error().message));
        QCOMPARE(decoded.value(), session);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("failure"); // empty: decodes
        const QString none = uR"({"none":{}})"_s;
        QTest::newRow("lower-case id, endedAt null")
            << stored(none, uR"(,"isActive":true,"endedAt":null)"_s) << QString();
        QTest::newRow("extra keys") << stored(uR"({"none":{},"note":1})"_s, uR"(,"isActive":true,"x":[])"_s)
                                    << QString();
        QTest::newRow("no keys") << stored(u"{}"_s) << u"Invalid number of keys found, expected one."_s;
        QTest::newRow("two keys") << stored(uR"({"pending":{},"failed":{}})"_s)
                                  << u"Invalid number of keys found, expected one."_s;
        QTest::newRow("case key in other case")
            << stored(uR"({"None":{}})"_s) << u"Invalid number of keys found, expected one."_s;
        QTest::newRow("turned on without name") << stored(uR"({"turnedOn":{}})"_s) << u"mode name"_s;
        QTest::newRow("case value not an object") << stored(uR"({"pending":true})"_s) << u"not an object"_s;
        QTest::newRow("not JSON") << QByteArray("{\"id\":") << u"JSON"_s;
        QTest::newRow("an array") << QByteArray("[1]") << u"JSON"_s;
        QTest::newRow("braced id") << stored(none).replace("\"5c0f", "\"{5c0f").replace("7e10\"", "7e10}\"")
                                   << u"UUID"_s;
        QTest::newRow("id not hex") << stored(none).replace("5c0f", "5c0g") << u"UUID"_s;
        QTest::newRow("isActive a number") << stored(none, uR"(,"isActive":1)"_s) << u"Boolean"_s;
        QTest::newRow("duration missing") << stored(none).replace("\"duration\":1500,", "") << u"not a number"_s;
        QTest::newRow("duration a string") << stored(none).replace("1500,", "\"1500\",") << u"not a number"_s;
        // Checks of what the system itself writes.
        QTest::newRow("duration under a minute")
            << stored(none).replace("786301500.25", "786300059.25").replace("1500,", "59,") << u"length"_s;
        QTest::newRow("duration over a day")
            << stored(none).replace("786301500.25", "786386401.25").replace("1500,", "86401,") << u"length"_s;
        QTest::newRow("end not start plus length")
            << stored(none).replace("786301500.25", "786301500.252") << u"planned end"_s;
        QTest::newRow("end within a millisecond")
            << stored(none).replace("786301500.25", "786301500.2509") << QString();
        QTest::newRow("huge times") << stored(none).replace("786300000.25", "1e300").replace("786301500.25", "1e300")
                                    << u"out of range"_s;
        QTest::newRow("active with an end")
            << stored(none, uR"(,"isActive":true,"endedAt":786300660.25)"_s) << u"active flag"_s;
        QTest::newRow("ended without an end") << stored(none, uR"(,"isActive":false)"_s) << u"active flag"_s;
        QTest::newRow("ended, end not a number")
            << stored(none, uR"(,"isActive":false,"endedAt":"x")"_s) << u"not a number"_s;
    }

    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, failure);
        const Result<FocusSession> decoded = FocusSessionCoding::decode(bytes);
        if (failure.isEmpty()) {
            QVERIFY2(decoded.ok(), qPrintable(decoded ? QString() : decoded.error().message));
            QCOMPARE(decoded.value().silencing, FocusSilencing::none());
            QCOMPARE(decoded.value().startedAt, start);
            QVERIFY(!decoded.value().endedAt);
            return;
        }
        QVERIFY(!decoded.ok());
        QVERIFY2(decoded.error().message.contains(failure), qPrintable(decoded.error().message));
    }

    // The tolerance of the planned end holds for the times as they are kept, so a session that
    // loads once still loads after it was saved again.
    void acceptedOnceIsAcceptedAfterSaving_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString none = uR"({"none":{}})"_s;
        QTest::newRow("start half a millisecond late") << stored(none).replace("786300000.25", "786300000.2505");
        QTest::newRow("end 1.4 ms late") << stored(none).replace("786301500.25", "786301500.2514");
        QTest::newRow("start just under half late") << stored(none).replace("786300000.25", "786300000.2504999");
    }

    void acceptedOnceIsAcceptedAfterSaving()
    {
        QFETCH(QByteArray, bytes);
        const Result<FocusSession> first = FocusSessionCoding::decode(bytes);
        QVERIFY2(first.ok(), qPrintable(first ? QString() : first.error().message));
        const Result<FocusSession> again
            = FocusSessionCoding::decode(FocusSessionCoding::encode(first.value()).value());
        QVERIFY2(again.ok(), qPrintable(again ? QString() : again.error().message));
        QCOMPARE(again.value(), first.value());
    }

    void notificationIdIsOnlyAHint_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<quint32>("id");
        QTest::newRow("an id") << u"7"_s << 7u;
        QTest::newRow("negative") << u"-7"_s << 0u;
        QTest::newRow("a fraction") << u"7.5"_s << 0u;
        QTest::newRow("too large") << u"4294967296"_s << 0u;
        QTest::newRow("a string") << u"\"7\""_s << 0u;
    }

    void notificationIdIsOnlyAHint()
    {
        QFETCH(QString, value);
        const Result<FocusSession> decoded = FocusSessionCoding::decode(
            stored(uR"({"none":{}})"_s, uR"(,"isActive":true,"notificationId":)"_s + value));
        QVERIFY(decoded.ok());
        QTEST(decoded.value().notificationId, "id");
    }

    void encodingRefusesNumbersJsonCannotHold()
    {
        FocusSession session = FocusSession::make(25, start);
        session.duration = std::numeric_limits<double>::infinity();
        QVERIFY(!FocusSessionCoding::encode(session));
    }
};

QTEST_GUILESS_MAIN(TestFocusSession)
#include "tst_FocusSession.moc"
