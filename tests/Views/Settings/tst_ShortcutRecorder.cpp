#include "Components/Controls/IconButton.h"
#include "FakeDesktopShortcuts.h"
#include "FakeHotKeyBackend.h"
#include "FocusRingProbe.h"
#include "MemorySettingsStore.h"
#include "Services/HotKeys/HotKeys.h"
#include "Views/Settings/ShortcutRecorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QProcess>
#include <QShortcut>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace {

constexpr quint32 T = 17;
constexpr quint32 F = 3;
constexpr quint32 shiftCommand = 0x300;
const Qt::KeyboardModifiers superShift = Qt::MetaModifier | Qt::ShiftModifier;

} // namespace

class TestShortcutRecorder final : public QObject
{
    Q_OBJECT

    std::unique_ptr<MemorySettingsStore> settings;
    std::unique_ptr<FakeHotKeyBackend> backend;
    FakeDesktopShortcuts desktop;
    std::unique_ptr<HotKeys> keys;
    std::unique_ptr<QWidget> window;
    ShortcutRecorder *recorder = nullptr;
    int beeps = 0;
    int newTodoPresses = 0;

    void click() { QTest::mouseClick(recorder->field(), Qt::LeftButton); }
    void type(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window.get(), Qt::Key(key), modifiers);
    }

private Q_SLOTS:
    void init()
    {
        settings = std::make_unique<MemorySettingsStore>();
        backend = std::make_unique<FakeHotKeyBackend>();
        keys = HotKeys::makeDefault(*settings, *backend, desktop);
        connect(keys->newTodo(), &HotKeyCenter::pressed, this, [this] { ++newTodoPresses; });
        window = std::make_unique<QWidget>();
        recorder = new ShortcutRecorder(keys->newTodo(), window.get());
        recorder->setBeep([this] { ++beeps; });
        beeps = newTodoPresses = 0;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        keys.reset();
        backend.reset();
        settings.reset();
    }

    // The cap wears the theme's ring while Tab has it, as every control Tab reaches does.
    void theRingIsTheThemes()
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        recorder->field()->setFocus(Qt::TabFocusReason);
        QVERIFY(recorder->field()->hasFocus());
        QCOMPARE(themeRingFault(recorder->field()), QString());
    }

    void idleShowsTheCombination()
    {
        QCOMPARE(recorder->label(), QStringLiteral("Shift+Super+T"));
        QCOMPARE(recorder->field()->toolTip(), QStringLiteral("Click to record a new shortcut"));
        QCOMPARE(recorder->field()->accessibleName(), QStringLiteral("New Todo shortcut"));
        QCOMPARE(recorder->field()->accessibleDescription(), QStringLiteral("Shift Super T"));
        QVERIFY(recorder->field()->width() >= 110);
        QCOMPARE(recorder->field()->height(), 24);
        // The standard one is in force, so the trailing button removes it.
        QVERIFY(recorder->trailingButton()->isVisible());
        QCOMPARE(recorder->trailingButton()->toolTip(), QStringLiteral("Remove shortcut"));
    }

    void recordingShowsHeldModifiersAndSuspends()
    {
        click();
        QVERIFY(recorder->isRecording());
        QCOMPARE(recorder->label(), QStringLiteral("Type Shortcut"));
        QCOMPARE(recorder->field()->toolTip(), QStringLiteral("Press a shortcut. Escape cancels; Delete removes it."));
        QCOMPARE(recorder->field()->accessibleDescription(), QStringLiteral("Recording"));
        QVERIFY(!recorder->trailingButton()->isVisible());
        QVERIFY(!backend->isRegistered(1));
        QTest::keyPress(window.get(), Qt::Key_Meta);
        QCOMPARE(recorder->label(), QStringLiteral("Super+"));
        QTest::keyPress(window.get(), Qt::Key_Shift, Qt::MetaModifier);
        QCOMPARE(recorder->label(), QStringLiteral("Shift+Super+"));
        QTest::keyRelease(window.get(), Qt::Key_Shift, superShift);
        QTest::keyRelease(window.get(), Qt::Key_Meta, Qt::MetaModifier);
        QCOMPARE(recorder->label(), QStringLiteral("Type Shortcut"));
        // A second click on the field ends recording with nothing changed.
        click();
        QVERIFY(!recorder->isRecording());
        QVERIFY(backend->isRegistered(1));
        QCOMPARE(settings->writeCount(), 0);
    }

    void presses_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("beeps");
        QTest::addColumn<QString>("label"); // after the press; recording goes on when it beeps
        const int super = Qt::MetaModifier;
        QTest::newRow("super shift H") << int(Qt::Key_H) << int(superShift) << false << QStringLiteral("Shift+Super+H");
        QTest::newRow("letter alone") << int(Qt::Key_H) << 0 << true << QStringLiteral("Type Shortcut");
        QTest::newRow("shift letter") << int(Qt::Key_H) << int(Qt::ShiftModifier) << true
                                      << QStringLiteral("Type Shortcut");
        QTest::newRow("F6 alone") << int(Qt::Key_F6) << 0 << false << QStringLiteral("F6");
        QTest::newRow("shift escape") << int(Qt::Key_Escape) << int(Qt::ShiftModifier) << true
                                      << QStringLiteral("Type Shortcut");
        QTest::newRow("super delete") << int(Qt::Key_Backspace) << super << false << QStringLiteral("Super+Backspace");
        QTest::newRow("control alt shifted digit")
            << int(Qt::Key_Exclam) << int(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier) << false
            << QStringLiteral("Ctrl+Alt+Shift+1");
    }
    void presses()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, beeps);
        QFETCH(QString, label);
        click();
        type(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(this->beeps, beeps ? 1 : 0);
        QCOMPARE(recorder->isRecording(), beeps);
        QCOMPARE(recorder->label(), label);
        if (!beeps) {
            QVERIFY(keys->newTodo()->isActive());
            QCOMPARE(settings->value(HotKeys::newTodoKey).toMap(), keys->newTodo()->combo()->dictionary());
        }
    }

    void escapeCancelsAndTheShortcutWorksAgain()
    {
        click();
        QVERIFY(!backend->press(T, shiftCommand));
        type(Qt::Key_Escape);
        QVERIFY(!recorder->isRecording());
        QCOMPARE(keys->newTodo()->combo(), KeyCombo::standard());
        QVERIFY(backend->press(T, shiftCommand));
        QCOMPARE(newTodoPresses, 1);
        QCOMPARE(settings->writeCount(), 0);
    }

    void deleteRemoves_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("delete") << int(Qt::Key_Backspace);
        QTest::newRow("forward delete") << int(Qt::Key_Delete);
    }
    void deleteRemoves()
    {
        QFETCH(int, key);
        click();
        type(key);
        QVERIFY(!recorder->isRecording());
        QCOMPARE(keys->newTodo()->combo(), std::nullopt);
        QCOMPARE(settings->value(HotKeys::newTodoKey).toMap(), QVariantMap());
        QCOMPARE(recorder->label(), QStringLiteral("None"));
        QCOMPARE(recorder->field()->accessibleDescription(), QStringLiteral("None"));
        QCOMPARE(recorder->trailingButton()->toolTip(), QStringLiteral("Use Shift+Super+T"));
        QCOMPARE(recorder->trailingButton()->accessibleName(), QStringLiteral("Use Shift Super T"));
        QVERIFY(!backend->isRegistered(1));
    }

    void trailingButtonRemovesAndRestores()
    {
        QTest::mouseClick(recorder->trailingButton(), Qt::LeftButton);
        QCOMPARE(keys->newTodo()->combo(), std::nullopt);
        QCOMPARE(recorder->label(), QStringLiteral("None"));
        QTest::mouseClick(recorder->trailingButton(), Qt::LeftButton);
        QCOMPARE(keys->newTodo()->combo(), KeyCombo::standard());
        QVERIFY(keys->newTodo()->isActive());
        QCOMPARE(recorder->trailingButton()->toolTip(), QStringLiteral("Remove shortcut"));
        // After any other choice it offers the standard one back.
        keys->newTodo()->set(KeyCombo { 4, 0x1000, QStringLiteral("H") });
        QCOMPARE(recorder->label(), QStringLiteral("Ctrl+H"));
        QCOMPARE(recorder->trailingButton()->toolTip(), QStringLiteral("Use Shift+Super+T"));
    }

    void theCurrentShortcutIsRecordedNotFired()
    {
        click();
        type(Qt::Key_T, superShift);
        QCOMPARE(newTodoPresses, 0);
        QVERIFY(!recorder->isRecording());
        QCOMPARE(keys->newTodo()->combo(), KeyCombo::standard());
        QVERIFY(keys->newTodo()->isActive());
    }

    void theOtherShortcutIsRecordedAndClashes()
    {
        click();
        type(Qt::Key_F, superShift);
        QCOMPARE(keys->newTodo()->problem(),
            QStringLiteral("Shift+Super+F is already Vemra’s other shortcut. Choose a different one."));
        QVERIFY(backend->isRegistered(2));
        QVERIFY(!backend->isPaused());
        QVERIFY(backend->press(F, shiftCommand));
    }

    void windowKeyEquivalentsAreRecordedInstead()
    {
        int quits = 0;
        auto *quit = new QShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_Q), window.get());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        connect(quit, &QShortcut::activated, this, [&quits] { ++quits; });
        click();
        type(Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits, 0);
        QCOMPARE(recorder->label(), QStringLiteral("Ctrl+Q"));
        type(Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits, 1); // not recording any more
    }

    void hidingStopsAndRegistersAgain()
    {
        click();
        QVERIFY(!backend->isRegistered(1));
        window->hide();
        QVERIFY(!recorder->isRecording());
        QVERIFY(backend->isRegistered(1));
    }

    void leavingTheWindowStopsRecording()
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        click();
        QVERIFY(recorder->isRecording());
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!recorder->isRecording());
        QVERIFY(backend->isRegistered(1));
    }

    void realKeysOnX11()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X11 display (run with QT_QPA_PLATFORM=xcb under Xvfb)");
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (xdotool.isEmpty())
            QSKIP("needs xdotool");
        click();
        // The keyboard is grabbed, so the keys come here whichever window has the focus.
        QCOMPARE(QProcess::execute(xdotool, { QStringLiteral("key"), QStringLiteral("shift+super+1") }), 0);
        QTRY_VERIFY(!recorder->isRecording());
        QCOMPARE(keys->newTodo()->combo(), (KeyCombo { 18, 0x300, QStringLiteral("1") }));
        click();
        QCOMPARE(QProcess::execute(xdotool, { QStringLiteral("key"), QStringLiteral("Escape") }), 0);
        QTRY_VERIFY(!recorder->isRecording());
        QCOMPARE(keys->newTodo()->combo(), (KeyCombo { 18, 0x300, QStringLiteral("1") }));
    }

    void secondRecorderTakesOver()
    {
        auto *focusRecorder = new ShortcutRecorder(keys->focus(), window.get());
        focusRecorder->show();
        click();
        QTest::mouseClick(focusRecorder->field(), Qt::LeftButton);
        QVERIFY(!recorder->isRecording());
        QVERIFY(focusRecorder->isRecording());
        QVERIFY(backend->isRegistered(1));
        QVERIFY(!backend->isRegistered(2));
        type(Qt::Key_G, Qt::MetaModifier);
        QCOMPARE(keys->focus()->combo(), (KeyCombo { 5, 0x100, QStringLiteral("G") }));
        QCOMPARE(keys->newTodo()->combo(), KeyCombo::standard());
    }
};

QTEST_MAIN(TestShortcutRecorder)
#include "tst_ShortcutRecorder.moc"
