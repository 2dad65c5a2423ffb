#include "FakeDesktopShortcuts.h"
#include "FakeHotKeyBackend.h"
#include "MemorySettingsStore.h"
#include "Platform/linux/QtSettingsStore.h"
#include "Services/HotKeys/HotKeyCenter.h"
#include "Services/HotKeys/HotKeys.h"
#include "TestHome.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

const QString hotKey = QStringLiteral("hotKey");
const QString focusHotKey = QStringLiteral("focusHotKey");
constexpr quint32 T = 17;
constexpr quint32 F = 3;
constexpr quint32 shiftCommand = 0x300;
constexpr quint32 controlOptionCommand = 0x1900;

QVariantMap stored(qint64 keyCode, qint64 modifiers, const QString &key)
{
    return KeyCombo { keyCode, modifiers, key }.dictionary();
}

// Waits out a few retry intervals so that a wrongly pending retry would have fired.
void letRetriesRun()
{
    QTest::qWait(30);
}

} // namespace

class TestHotKeyCenter final : public QObject
{
    Q_OBJECT

    MemorySettingsStore *settings = nullptr;
    FakeHotKeyBackend *backend = nullptr;
    FakeDesktopShortcuts desktop;
    int newTodoPresses = 0;
    int focusPresses = 0;

    std::unique_ptr<HotKeys> make(std::chrono::milliseconds retry = 1ms)
    {
        auto keys = HotKeys::makeDefault(*settings, *backend, desktop, retry);
        connect(keys->newTodo(), &HotKeyCenter::pressed, this, [this] { ++newTodoPresses; });
        connect(keys->focus(), &HotKeyCenter::pressed, this, [this] { ++focusPresses; });
        return keys;
    }

private Q_SLOTS:
    void init()
    {
        settings = new MemorySettingsStore;
        backend = new FakeHotKeyBackend;
        desktop.listed.clear();
        desktop.holdsAnswers = false;
        newTodoPresses = focusPresses = 0;
    }
    void cleanup()
    {
        delete backend;
        delete settings;
    }

    void firstLaunchUsesBothStandards()
    {
        const auto keys = make();
        QCOMPARE(keys->newTodo()->combo(), KeyCombo::standard());
        QCOMPARE(keys->focus()->combo(), KeyCombo::focus());
        QVERIFY(keys->newTodo()->isActive() && keys->focus()->isActive());
        QVERIFY(keys->newTodo()->problem().isEmpty() && keys->focus()->problem().isEmpty());
        QVERIFY(keys->focus()->note().isEmpty());
        QCOMPARE(backend->registered().value(1), qMakePair(T, shiftCommand));
        QCOMPARE(backend->registered().value(2), qMakePair(F, shiftCommand));
        QCOMPARE(settings->writeCount(), 0); // nothing written back
        QCOMPARE(keys->newTodo()->purpose(), QStringLiteral("New Todo"));
        QCOMPARE(keys->focus()->settingsKey(), focusHotKey);
    }

    void desktopHoldingFocusGivesFallbackAndNote()
    {
        desktop.listed.insert({ F, shiftCommand });
        const auto keys = make();
        HotKeyCenter *focus = keys->focus();
        QCOMPARE(focus->standard(), KeyCombo::focusFallback());
        QCOMPARE(focus->combo(), KeyCombo::focusFallback());
        QVERIFY(focus->isActive());
        QCOMPARE(focus->note(),
            QStringLiteral("The desktop uses Shift+Super+F on this computer, so Focus uses Ctrl+Alt+Super+F."));
        QCOMPARE(backend->registered().value(2), qMakePair(F, controlOptionCommand));
        QVERIFY(keys->newTodo()->note().isEmpty());
    }

    // The desktop's settings answer late (gsettings is slow to start): meanwhile nothing is
    // registered and no problem or note shows; the answer settles the standard combination and
    // registers. A combination recorded meanwhile waits for the next answer, and a recorder
    // that listens by then keeps it unregistered.
    void registrationWaitsForTheDesktop_data()
    {
        QTest::addColumn<bool>("recorderListens");
        QTest::newRow("the answer comes") << false;
        QTest::newRow("a recorder listens by then") << true;
    }

    void registrationWaitsForTheDesktop()
    {
        QFETCH(bool, recorderListens);
        desktop.holdsAnswers = true;
        desktop.listed.insert({ F, shiftCommand });
        const auto keys = make();
        HotKeyCenter *newTodo = keys->newTodo();
        HotKeyCenter *focus = keys->focus();
        QSignalSpy focusChanges(focus, &HotKeyCenter::comboChanged);
        QVERIFY(backend->registered().isEmpty());
        QVERIFY(newTodo->problem().isEmpty() && focus->problem().isEmpty() && focus->note().isEmpty());

        desktop.answer();
        QCOMPARE(focusChanges.size(), 1);
        QCOMPARE(focus->combo(), KeyCombo::focusFallback());
        QVERIFY(!focus->note().isEmpty());
        QCOMPARE(backend->registered().value(1), qMakePair(T, shiftCommand));
        QCOMPARE(backend->registered().value(2), qMakePair(F, controlOptionCommand));

        const KeyCombo chosen { 4, 0x1000, QStringLiteral("H") };
        newTodo->set(chosen);
        QVERIFY(!backend->isRegistered(1));
        QCOMPARE(newTodo->combo(), chosen);
        if (recorderListens)
            newTodo->suspend();
        desktop.answer();
        QCOMPARE(backend->isRegistered(1), !recorderListens);
        if (recorderListens) {
            newTodo->resume();
            desktop.answer();
            QVERIFY(backend->isRegistered(1));
        }
        QCOMPARE(backend->registered().value(1), qMakePair(quint32(4), quint32(0x1000)));
        QVERIFY(newTodo->problem().isEmpty());
    }

    void storedValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<std::optional<KeyCombo>>("expected");
        QTest::newRow("empty dictionary: none") << QVariant(QVariantMap()) << std::optional<KeyCombo>();
        QTest::newRow("incomplete: none")
            << QVariant(QVariantMap { { QStringLiteral("keyCode"), 4 } }) << std::optional<KeyCombo>();
        QTest::newRow("not a dictionary: standard")
            << QVariant(QStringLiteral("⇧⌘T")) << std::optional(KeyCombo::standard());
        QTest::newRow("a choice") << QVariant(stored(4, 0x1000, QStringLiteral("H")))
                                  << std::optional(KeyCombo { 4, 0x1000, QStringLiteral("H") });
        // Narrowed to 32 bits these would be Shift+Super+T; they must mean no shortcut instead.
        QTest::newRow("key code beyond 32 bits: none")
            << QVariant(stored(0x100000000 + T, shiftCommand, QStringLiteral("T"))) << std::optional<KeyCombo>();
        QTest::newRow("modifiers beyond 32 bits: none")
            << QVariant(stored(T, 0x100000000 + shiftCommand, QStringLiteral("T"))) << std::optional<KeyCombo>();
        QTest::newRow("negative key code: none")
            << QVariant(stored(-1, shiftCommand, QStringLiteral("T"))) << std::optional<KeyCombo>();
        // What the recorder would refuse would take a plain key from every program.
        QTest::newRow("bare Space: none")
            << QVariant(stored(49, 0, QStringLiteral("Space"))) << std::optional<KeyCombo>();
        QTest::newRow("Shift and a letter: none")
            << QVariant(stored(0, 0x200, QStringLiteral("A"))) << std::optional<KeyCombo>();
        QTest::newRow("unknown modifier bits: none")
            << QVariant(stored(T, 0x100 | 0x10000, QStringLiteral("T"))) << std::optional<KeyCombo>();
        QTest::newRow("no key name: none")
            << QVariant(stored(T, shiftCommand, QStringLiteral(" "))) << std::optional<KeyCombo>();
        QTest::newRow("F5 alone") << QVariant(stored(96, 0, QStringLiteral("F5")))
                                  << std::optional(KeyCombo { 96, 0, QStringLiteral("F5") });
        QTest::newRow("Shift F5") << QVariant(stored(96, 0x200, QStringLiteral("F5")))
                                  << std::optional(KeyCombo { 96, 0x200, QStringLiteral("F5") });
    }
    void storedValues()
    {
        QFETCH(QVariant, value);
        QFETCH(std::optional<KeyCombo>, expected);
        settings->setValue(hotKey, value);
        const int writes = settings->writeCount();
        const auto keys = make();
        HotKeyCenter *newTodo = keys->newTodo();
        QCOMPARE(newTodo->combo(), expected);
        QVERIFY(newTodo->problem().isEmpty());
        QCOMPARE(newTodo->isActive(), expected.has_value());
        QCOMPARE(backend->isRegistered(1), expected.has_value());
        if (!expected) {
            for (const QString &line : backend->log())
                QVERIFY2(!line.startsWith(QStringLiteral("register 1")), qPrintable(line));
        }
        QCOMPARE(settings->writeCount(), writes);
    }

    void storedClashIsFoundWhenLinked_data()
    {
        QTest::addColumn<QString>("focusName");
        QTest::newRow("same name") << QStringLiteral("K");
        // The same key named under another layout is still the same key.
        QTest::newRow("other name") << QStringLiteral("Л");
    }
    void storedClashIsFoundWhenLinked()
    {
        QFETCH(QString, focusName);
        settings->setValue(hotKey, stored(40, 0x900, QStringLiteral("K")));
        settings->setValue(focusHotKey, stored(40, 0x900, focusName));
        const auto keys = make();
        QVERIFY(keys->newTodo()->isActive());
        QVERIFY(keys->newTodo()->problem().isEmpty());
        QVERIFY(!keys->focus()->isActive());
        QCOMPARE(keys->focus()->problem(),
            QStringLiteral("Alt+Super+") + focusName
                + QStringLiteral(" is already Vemra’s other shortcut. Choose a different one."));
        letRetriesRun();
        QCOMPARE(backend->registered().keys(), QList<quint32> { 1 });
    }

    void choosingTheOtherCentresCombination()
    {
        const auto keys = make();
        QSignalSpy problems(keys->newTodo(), &HotKeyCenter::problemChanged);
        keys->newTodo()->set(KeyCombo { F, shiftCommand, QStringLiteral("Ф") });
        QCOMPARE(keys->newTodo()->problem(),
            QStringLiteral("Shift+Super+Ф is already Vemra’s other shortcut. Choose a different one."));
        QCOMPARE(problems.count(), 1);
        QVERIFY(!keys->newTodo()->isActive());
        QVERIFY(backend->press(F, shiftCommand));
        QCOMPARE(focusPresses, 1);
        QCOMPARE(newTodoPresses, 0);
        // The clash stays with New Todo until it registers again, even after Focus moves away.
        keys->focus()->set(KeyCombo::focusFallback());
        QVERIFY(!keys->newTodo()->problem().isEmpty());
        keys->newTodo()->set(KeyCombo::standard());
        QVERIFY(keys->newTodo()->problem().isEmpty());
        QCOMPARE(problems.count(), 2);
    }

    void takenAtLaunchIsRetriedThreeTimes()
    {
        backend->setTaken(T, shiftCommand);
        const auto keys = make();
        const QString taken
            = QStringLiteral("Another app is already using Shift+Super+T. Choose a different shortcut.");
        QCOMPARE(keys->newTodo()->problem(), taken);
        QCOMPARE(backend->registerCalls(), 2); // New Todo, then Focus
        QSignalSpy problems(keys->newTodo(), &HotKeyCenter::problemChanged);
        QTRY_COMPARE(backend->registerCalls(), 5);
        QCOMPARE(problems.count(), 0); // the same sentence each time: nothing to notify
        letRetriesRun();
        QCOMPARE(backend->registerCalls(), 5); // four tries in all
        QCOMPARE(keys->newTodo()->problem(), taken);
    }

    void takenAtLaunchClearsOnFirstSuccess()
    {
        backend->setTakenFor(T, shiftCommand, 2); // at launch and at the first retry
        const auto keys = make();
        QVERIFY(!keys->newTodo()->problem().isEmpty());
        QTRY_VERIFY(keys->newTodo()->isActive());
        QVERIFY(keys->newTodo()->problem().isEmpty());
        letRetriesRun();
        QCOMPARE(backend->registerCalls(), 4); // Focus once, New Todo at launch and twice more
    }

    void onlyTheDesktopsOwnSettingsBlameTheDesktop_data()
    {
        QTest::addColumn<bool>("listed");
        QTest::addColumn<bool>("grabbed");
        QTest::addColumn<QString>("problem");
        const QString desktopUses
            = QStringLiteral("The desktop uses Shift+Super+T for one of its own shortcuts. Choose "
                             "another, or change it in your desktop's keyboard settings.");
        QTest::newRow("listed and held") << true << true << desktopUses;
        QTest::newRow("listed, not held") << true << false << desktopUses;
        QTest::newRow("held by some program")
            << false << true
            << QStringLiteral("Another app is already using Shift+Super+T. Choose a different shortcut.");
    }
    void onlyTheDesktopsOwnSettingsBlameTheDesktop()
    {
        QFETCH(bool, listed);
        QFETCH(bool, grabbed);
        QFETCH(QString, problem);
        if (listed)
            desktop.listed.insert({ T, shiftCommand });
        backend->setTaken(T, shiftCommand, grabbed);
        const auto keys = make();
        QCOMPARE(keys->newTodo()->problem(), problem);
        QVERIFY(!backend->isRegistered(1));
    }

    void pendingLaunchRetryNeverRegistersAStaleChoice()
    {
        backend->setTaken(T, shiftCommand);
        const auto keys = make(20ms);
        HotKeyCenter *newTodo = keys->newTodo();
        QCOMPARE(newTodo->problem().isEmpty(), false);
        // The user picks another combination that is taken too: tried once, never again.
        backend->setTaken(4, 0x1000);
        backend->clearLog();
        newTodo->set(KeyCombo { 4, 0x1000, QStringLiteral("H") });
        QCOMPARE(
            newTodo->problem(), QStringLiteral("Another app is already using Ctrl+H. Choose a different shortcut."));
        QTest::qWait(60);
        QCOMPARE(backend->registerCalls(), 1);
        QCOMPARE(settings->value(hotKey).toMap(), stored(4, 0x1000, QStringLiteral("H")));
    }

    void recordingDropsAPendingRetry()
    {
        backend->setTaken(T, shiftCommand);
        const auto keys = make(20ms);
        HotKeyCenter *newTodo = keys->newTodo();
        newTodo->suspend();
        QVERIFY(newTodo->isSuspended());
        backend->setTaken(T, shiftCommand, false);
        backend->clearLog();
        QTest::qWait(60);
        QCOMPARE(backend->registerCalls(), 0); // nothing registers while the recorder listens
        QVERIFY(!newTodo->problem().isEmpty()); // and the problem stays as it was
        newTodo->resume();
        QVERIFY(newTodo->isActive());
        QVERIFY(newTodo->problem().isEmpty());
    }

    void suspendAndResume()
    {
        const auto keys = make();
        HotKeyCenter *newTodo = keys->newTodo();
        QSignalSpy combos(newTodo, &HotKeyCenter::comboChanged);
        newTodo->suspend();
        newTodo->suspend(); // twice: still one pause of the backend
        QVERIFY(!backend->isRegistered(1));
        QVERIFY(!backend->press(T, shiftCommand));
        QCOMPARE(newTodo->combo(), KeyCombo::standard());
        // While its recorder listens, Focus's keys go to the recorder as well.
        QVERIFY(backend->isRegistered(2));
        QVERIFY(backend->isPaused());
        QVERIFY(!backend->press(F, shiftCommand));
        newTodo->resume();
        QVERIFY(!backend->isPaused());
        QVERIFY(backend->press(T, shiftCommand));
        QVERIFY(backend->press(F, shiftCommand));
        QCOMPARE(newTodoPresses, 1);
        QCOMPARE(focusPresses, 1);
        backend->clearLog();
        newTodo->resume(); // holds its hot key already: nothing to do
        QVERIFY(backend->log().isEmpty());
        QCOMPARE(combos.count(), 0);
    }

    void removingClearsProblemAndStoresEmptyDictionary()
    {
        backend->setTaken(T, shiftCommand);
        const auto keys = make(20ms);
        HotKeyCenter *newTodo = keys->newTodo();
        QSignalSpy combos(newTodo, &HotKeyCenter::comboChanged);
        newTodo->set(std::nullopt);
        QVERIFY(newTodo->problem().isEmpty());
        QCOMPARE(newTodo->combo(), std::nullopt);
        QCOMPARE(combos.count(), 1);
        QVERIFY(settings->contains(hotKey));
        QCOMPARE(settings->value(hotKey).toMap(), QVariantMap());
        backend->setTaken(T, shiftCommand, false);
        QTest::qWait(60);
        QVERIFY(!backend->isRegistered(1));
        // Resetting puts the standard one back.
        newTodo->set(newTodo->standard());
        QVERIFY(newTodo->isActive());
        QCOMPARE(settings->value(hotKey).toMap(), KeyCombo::standard().dictionary());
    }

    void settingTheSameComboNotifiesNothingButStores()
    {
        const auto keys = make();
        QSignalSpy combos(keys->newTodo(), &HotKeyCenter::comboChanged);
        QSignalSpy problems(keys->newTodo(), &HotKeyCenter::problemChanged);
        keys->newTodo()->set(KeyCombo::standard());
        QCOMPARE(combos.count(), 0);
        QCOMPARE(problems.count(), 0);
        QCOMPARE(settings->writeCount(), 1);
        QVERIFY(keys->newTodo()->isActive());
    }

    void otherFailuresAreNotRetried_data()
    {
        QTest::addColumn<bool>("available");
        QTest::newRow("refused") << true;
        QTest::newRow("no hot keys on this display") << false;
    }
    void otherFailuresAreNotRetried()
    {
        QFETCH(bool, available);
        backend->setAvailable(available);
        backend->setFailing(T, shiftCommand, 2);
        const auto keys = make();
        QCOMPARE(keys->newTodo()->problem(),
            QStringLiteral("Vemra couldn’t use Shift+Super+T. Choose a different shortcut."));
        letRetriesRun();
        QCOMPARE(backend->registerCalls(), 2);
    }

    void pressRunsOnlyItsOwnAction()
    {
        const auto keys = make();
        QVERIFY(backend->press(T, shiftCommand));
        QCOMPARE(newTodoPresses, 1);
        QCOMPARE(focusPresses, 0);
        QVERIFY(backend->press(F, shiftCommand));
        QCOMPARE(newTodoPresses, 1);
        QCOMPARE(focusPresses, 1);
    }

    void choicesSurviveARestart()
    {
        TestHome home;
        const QString ini = home.path() + QStringLiteral("/Vemra.ini");
        {
            QtSettingsStore store(ini);
            const auto keys = HotKeys::makeDefault(store, *backend, desktop);
            keys->newTodo()->set(KeyCombo { 4, 0x1800, QStringLiteral("H") });
            keys->focus()->set(std::nullopt);
        }
        QtSettingsStore store(ini);
        const auto keys = HotKeys::makeDefault(store, *backend, desktop);
        QCOMPARE(keys->newTodo()->combo(), (KeyCombo { 4, 0x1800, QStringLiteral("H") }));
        QVERIFY(keys->newTodo()->isActive());
        QCOMPARE(keys->focus()->combo(), std::nullopt);
        QVERIFY(keys->focus()->problem().isEmpty());
    }

    void destroyingReleasesTheKeys()
    {
        make();
        QVERIFY(backend->registered().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHotKeyCenter)
#include "tst_HotKeyCenter.moc"
