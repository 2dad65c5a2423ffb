#include "FakeHotKeyBackend.h"
#include "MemorySettingsStore.h"
#include "Services/HotKeys/HotKeys.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/ShortcutRows.h"

#include <QTest>

#include <memory>

namespace {

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
        rows = std::make_unique<ShortcutRows>(*hotKeys->focus());
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
