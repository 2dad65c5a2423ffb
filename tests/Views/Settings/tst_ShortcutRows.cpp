#include "FakeHotKeyBackend.h"
#include "MemorySettingsStore.h"
#include "Services/HotKeys/HotKeys.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/ShortcutRows.h"

#include "Views/Settings/ShortcutRecorder.h"

#include <QLabel>
#include <QTest>

#include <memory>

namespace {

constexpr quint32 T = 17;
constexpr quint32 F = 3;
constexpr quint32 shiftCommand = 0x300;
constexpr quint32 controlOptionCommand = 0x1900;

KeyCombo combo(qint64 keyCode, qint64 modifiers, const QString &key)
{
    return KeyCombo { keyCode, modifiers, key };
}

} // namespace

class TestShortcutRows final : public QObject
{
    Q_OBJECT

    std::unique_ptr<MemorySettingsStore> store;
    std::unique_ptr<FakeHotKeyBackend> backend;
    std::unique_ptr<HotKeys> hotKeys;
    std::unique_ptr<ShortcutRows> rows;

    void make()
    {
        hotKeys = HotKeys::makeDefault(store.get(), backend.get());
        rows = std::make_unique<ShortcutRows>(hotKeys.get());
        rows->show();
    }

private Q_SLOTS:
    void init()
    {
        store = std::make_unique<MemorySettingsStore>();
        backend = std::make_unique<FakeHotKeyBackend>();
    }
    void cleanup()
    {
        rows.reset();
        hotKeys.reset();
        backend.reset();
        store.reset();
    }

    void newTodoNoteFollowsTheCombination_data()
    {
        QTest::addColumn<std::optional<KeyCombo>>("chosen");
        QTest::addColumn<QString>("note");
        QTest::newRow("standard") << std::optional<KeyCombo>(KeyCombo::standard())
                                  << QStringLiteral("⇧⌘T works in every app, in place of anything that app uses it "
                                                    "for. In browsers that’s Reopen Closed Tab.");
        QTest::newRow("another") << std::optional<KeyCombo>(combo(T, controlOptionCommand, QStringLiteral("T")))
                                 << QStringLiteral(
                                        "⌃⌥⌘T works in every app, in place of anything that app uses it for.");
        QTest::newRow("none") << std::optional<KeyCombo>()
                              << QStringLiteral("Without a shortcut, open Vemra from its icon in the menu bar.");
    }
    void newTodoNoteFollowsTheCombination()
    {
        QFETCH(std::optional<KeyCombo>, chosen);
        QFETCH(QString, note);
        make();
        hotKeys->newTodo()->set(chosen);
        QCOMPARE(rows->newTodoFooter()->text(), note);
        QVERIFY(!rows->newTodoProblem()->isVisible());
    }

    // The other application's hold shows under the recorder, beside the note, and goes when
    // the user picks a free combination.
    void newTodoProblemComesAndGoes()
    {
        backend->setTaken(T, shiftCommand);
        make();
        SettingsNote *problem = rows->newTodoProblem();
        QVERIFY(problem->isVisible());
        QCOMPARE(problem->tone(), SettingsNote::Tone::Problem);
        QCOMPARE(problem->text(), QStringLiteral("Another app is already using ⇧⌘T. Choose a different shortcut."));
        QVERIFY(rows->newTodoFooter()->text().startsWith(QStringLiteral("⇧⌘T works")));

        hotKeys->newTodo()->set(combo(16, shiftCommand, QStringLiteral("Y")));
        QVERIFY(!problem->isVisible());
        QCOMPARE(rows->newTodoRecorder()->label(), QStringLiteral("⇧⌘Y"));

        // The other shortcut's combination is refused with its own sentence.
        hotKeys->newTodo()->set(combo(F, shiftCommand, QStringLiteral("F")));
        QVERIFY(problem->isVisible());
        QCOMPARE(problem->text(), QStringLiteral("⇧⌘F is already Vemra’s other shortcut. Choose a different one."));
    }

    // The Focus note: a problem wins; the desktop's reason for the fallback shows only while the
    // fallback is the shortcut.
    void focusNoteExplainsTheFallbackOnly()
    {
        backend->setUsedBySystem(F, shiftCommand);
        make();
        HotKeyCenter *focus = hotKeys->focus();
        QCOMPARE(focus->combo(), std::optional<KeyCombo>(KeyCombo::focusFallback()));
        SettingsNote *note = rows->focusNote();
        QVERIFY(note->isVisible());
        QCOMPARE(note->tone(), SettingsNote::Tone::Information);
        QCOMPARE(note->text(), focus->note());
        QVERIFY(!note->text().isEmpty());

        focus->set(combo(F, controlOptionCommand | 0x200, QStringLiteral("F")));
        QVERIFY(!note->isVisible());
        focus->set(std::nullopt);
        QVERIFY(!note->isVisible());

        backend->setTaken(F, controlOptionCommand);
        focus->set(focus->standard());
        QVERIFY(note->isVisible());
        QCOMPARE(note->tone(), SettingsNote::Tone::Problem);
        QCOMPARE(note->text(), focus->problem());
    }
};

QTEST_MAIN(TestShortcutRows)
#include "tst_ShortcutRows.moc"
