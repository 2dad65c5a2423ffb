#include "MemorySettingsStore.h"
#include "Platform/linux/QtSettingsStore.h"
#include "Services/Shell/Preferences.h"
#include "TestHome.h"

#include <QSignalSpy>
#include <QTest>

class TestPreferences final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyStoreGivesDefaultsAndWritesNothing()
    {
        MemorySettingsStore store;
        Preferences preferences(store);
        QVERIFY(preferences.monitorsClipboard());
        QVERIFY(!preferences.isClipboardPaused());
        QCOMPARE(preferences.focusMinutes(), 25);
        QVERIFY(preferences.focusPlaysSound());
        QVERIFY(preferences.focusSilencesNotifications());
        QCOMPARE(preferences.appearance(), Appearance::System);
        QVERIFY(preferences.isRecordingClipboard());
        QCOMPARE(store.writeCount(), 0);
    }

    void storedValuesAreRead_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("expected");

        const QString minutes = QStringLiteral("focusMinutes");
        QTest::newRow("minutes 1440 kept") << minutes << QVariant(1440) << QVariant(1440);
        QTest::newRow("minutes 1 kept") << minutes << QVariant(1) << QVariant(1);
        QTest::newRow("minutes 1441 rejected") << minutes << QVariant(1441) << QVariant(25);
        QTest::newRow("minutes 0 rejected") << minutes << QVariant(0) << QVariant(25);
        QTest::newRow("minutes negative rejected") << minutes << QVariant(-5) << QVariant(25);
        QTest::newRow("minutes as INI text") << minutes << QVariant(QStringLiteral("40")) << QVariant(40);
        QTest::newRow("minutes not a number") << minutes << QVariant(QStringLiteral("soon")) << QVariant(25);

        const QString appearance = QStringLiteral("appearance");
        QTest::newRow("appearance dark") << appearance << QVariant(QStringLiteral("dark")) << QVariant(2);
        QTest::newRow("appearance light") << appearance << QVariant(QStringLiteral("light")) << QVariant(1);
        QTest::newRow("appearance capitalised") << appearance << QVariant(QStringLiteral("Dark")) << QVariant(0);
        QTest::newRow("appearance number") << appearance << QVariant(2) << QVariant(0);

        const QString monitors = QStringLiteral("monitorsClipboard");
        QTest::newRow("monitors false") << monitors << QVariant(false) << QVariant(false);
        QTest::newRow("monitors INI false") << monitors << QVariant(QStringLiteral("false")) << QVariant(false);
        QTest::newRow("monitors wrong type") << monitors << QVariant(0) << QVariant(true);
        QTest::newRow("monitors other text") << monitors << QVariant(QStringLiteral("no")) << QVariant(true);
        QTest::newRow("sound false") << QStringLiteral("focusPlaysSound") << QVariant(false) << QVariant(false);
        QTest::newRow("sound wrong type") << QStringLiteral("focusPlaysSound") << QVariant(0) << QVariant(true);
        QTest::newRow("silences INI false")
            << QStringLiteral("focusSilencesNotifications") << QVariant(QStringLiteral("false")) << QVariant(false);
        QTest::newRow("silences wrong type")
            << QStringLiteral("focusSilencesNotifications") << QVariant(QStringLiteral("0")) << QVariant(true);

        const QString paused = QStringLiteral("clipboardPaused");
        QTest::newRow("paused true") << paused << QVariant(true) << QVariant(true);
        QTest::newRow("paused INI true") << paused << QVariant(QStringLiteral("true")) << QVariant(true);
        QTest::newRow("paused number") << paused << QVariant(1) << QVariant(true);
        QTest::newRow("paused zero text") << paused << QVariant(QStringLiteral("0")) << QVariant(false);
    }

    void storedValuesAreRead()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);

        MemorySettingsStore store;
        store.setValue(key, stored);
        Preferences preferences(store);
        QVariant actual;
        if (key == QLatin1String("focusMinutes"))
            actual = preferences.focusMinutes();
        else if (key == QLatin1String("appearance"))
            actual = static_cast<int>(preferences.appearance());
        else if (key == QLatin1String("monitorsClipboard"))
            actual = preferences.monitorsClipboard();
        else if (key == QLatin1String("focusPlaysSound"))
            actual = preferences.focusPlaysSound();
        else if (key == QLatin1String("focusSilencesNotifications"))
            actual = preferences.focusSilencesNotifications();
        else
            actual = preferences.isClipboardPaused();
        QCOMPARE(actual, expected);
        QCOMPARE(store.writeCount(), 1); // only the test's own write: reading never writes back
    }

    void equalAssignmentWritesAndCallsBackWithoutNotifying()
    {
        MemorySettingsStore store;
        Preferences preferences(store);
        int clipboardCalls = 0;
        int appearanceCalls = 0;
        connect(&preferences, &Preferences::clipboardSwitchAssigned, this, [&] { ++clipboardCalls; });
        connect(&preferences, &Preferences::appearanceAssigned, this, [&] { ++appearanceCalls; });
        QSignalSpy paused(&preferences, &Preferences::clipboardPausedChanged);
        QSignalSpy monitors(&preferences, &Preferences::monitorsClipboardChanged);
        QSignalSpy appearance(&preferences, &Preferences::appearanceChanged);
        QSignalSpy minutes(&preferences, &Preferences::focusMinutesChanged);
        QSignalSpy recording(&preferences, &Preferences::isRecordingClipboardChanged);

        preferences.setClipboardPaused(false);
        preferences.setMonitorsClipboard(true);
        preferences.setAppearance(Appearance::System);
        preferences.setFocusMinutes(25);
        QCOMPARE(clipboardCalls, 2);
        QCOMPARE(appearanceCalls, 1);
        QCOMPARE(paused.count() + monitors.count() + appearance.count() + minutes.count() + recording.count(), 0);
        QCOMPARE(store.writeCount(), 4);
        QCOMPARE(store.value(QStringLiteral("clipboardPaused")), QVariant(false));
        QCOMPARE(store.value(QStringLiteral("appearance")), QVariant(QStringLiteral("system")));
        QVERIFY(!store.contains(QStringLiteral("isClipboardPaused")));
    }

    void realChangeNotifiesOnceAndCallsBackAfterTheWrite()
    {
        MemorySettingsStore store;
        Preferences preferences(store);
        QVariant seenByCallback;
        connect(&preferences, &Preferences::appearanceAssigned, this,
            [&] { seenByCallback = store.value(QStringLiteral("appearance")); });
        QSignalSpy appearance(&preferences, &Preferences::appearanceChanged);

        preferences.setAppearance(Appearance::Dark);
        QCOMPARE(appearance.count(), 1);
        QCOMPARE(appearance.at(0).at(0).value<Appearance>(), Appearance::Dark);
        QCOMPARE(seenByCallback, QVariant(QStringLiteral("dark")));
        QCOMPARE(preferences.appearance(), Appearance::Dark);
    }

    void recordingFollowsBothSwitches()
    {
        MemorySettingsStore store;
        Preferences preferences(store);
        QSignalSpy recording(&preferences, &Preferences::isRecordingClipboardChanged);
        int calls = 0;
        connect(&preferences, &Preferences::clipboardSwitchAssigned, this, [&] {
            ++calls;
            QCOMPARE(preferences.isRecordingClipboard(),
                preferences.monitorsClipboard() && !preferences.isClipboardPaused());
        });

        preferences.setMonitorsClipboard(false);
        QVERIFY(!preferences.isRecordingClipboard());
        preferences.setClipboardPaused(true); // paused while switched off: still not recording
        preferences.setClipboardPaused(false);
        QVERIFY(!preferences.isRecordingClipboard());
        preferences.setClipboardPaused(true);
        preferences.setMonitorsClipboard(true);
        QVERIFY(!preferences.isRecordingClipboard());
        preferences.setClipboardPaused(false);
        QVERIFY(preferences.isRecordingClipboard());

        QCOMPARE(calls, 6);
        QCOMPARE(recording.count(), 2);
        QCOMPARE(recording.at(0).at(0).toBool(), false);
        QCOMPARE(recording.at(1).at(0).toBool(), true);
    }

    void focusMinutesStayInRange_data()
    {
        QTest::addColumn<int>("assigned");
        QTest::addColumn<int>("kept");
        QTest::newRow("inside") << 90 << 90;
        QTest::newRow("upper bound") << 1440 << 1440;
        QTest::newRow("too many") << 2000 << 1440;
        QTest::newRow("zero") << 0 << 1;
        QTest::newRow("negative") << -3 << 1;
    }

    void focusMinutesStayInRange()
    {
        QFETCH(int, assigned);
        QFETCH(int, kept);
        MemorySettingsStore store;
        {
            Preferences preferences(store);
            preferences.setFocusMinutes(assigned);
            QCOMPARE(preferences.focusMinutes(), kept);
        }
        // What this run used is what the next launch reads.
        Preferences again(store);
        QCOMPARE(again.focusMinutes(), kept);
    }

    void everySettingSurvivesTheIniFile()
    {
        TestHome home;
        const QString ini = home.path() + QStringLiteral("/Vemra.conf");
        {
            QtSettingsStore store(ini);
            Preferences preferences(store);
            preferences.setMonitorsClipboard(false);
            preferences.setClipboardPaused(true);
            preferences.setFocusMinutes(50);
            preferences.setFocusPlaysSound(false);
            preferences.setFocusSilencesNotifications(false);
            preferences.setAppearance(Appearance::Light);
        }
        QtSettingsStore store(ini);
        Preferences preferences(store);
        QVERIFY(!preferences.monitorsClipboard());
        QVERIFY(preferences.isClipboardPaused());
        QCOMPARE(preferences.focusMinutes(), 50);
        QVERIFY(!preferences.focusPlaysSound());
        QVERIFY(!preferences.focusSilencesNotifications());
        QCOMPARE(preferences.appearance(), Appearance::Light);
    }

    void appearanceNamesAndTitles()
    {
        QStringList raw;
        QStringList titles;
        for (Appearance appearance : Appearances::all) {
            raw << Appearances::storedValue(appearance);
            titles << Appearances::title(appearance);
            QCOMPARE(Appearances::fromStoredValue(Appearances::storedValue(appearance)), appearance);
        }
        QCOMPARE(raw, (QStringList { QStringLiteral("system"), QStringLiteral("light"), QStringLiteral("dark") }));
        QCOMPARE(
            titles, (QStringList { QStringLiteral("Automatic"), QStringLiteral("Light"), QStringLiteral("Dark") }));
        QVERIFY(!Appearances::fromStoredValue(QStringLiteral("auto")));
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_Preferences.moc"
