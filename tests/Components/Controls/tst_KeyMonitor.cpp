#include "Components/Controls/KeyMonitor.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

// A window as the tab views build them: a monitored view holding a text field, with a
// window-wide shortcut and an action shortcut beside it.
struct Window
{
    QWidget root;
    QWidget *view = new QWidget(&root);
    QLineEdit *field = new QLineEdit(view);
    QShortcut *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &root);
    QAction *newTodo = new QAction(&root);
    KeyMonitor *monitor = new KeyMonitor(view);
    QList<int> offered;

    Window()
    {
        auto *layout = new QVBoxLayout(&root);
        layout->addWidget(view);
        (new QVBoxLayout(view))->addWidget(field);
        newTodo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
        root.addAction(newTodo);
        root.resize(300, 80);
    }

    void swallow(std::function<bool(int key)> decide)
    {
        monitor->setHandler([this, decide](const QKeyEvent &key) {
            offered.append(key.key());
            return decide(key.key());
        });
    }
};

// A focusable control that notes the keys and context menu requests that reach it.
class KeyLog final : public QWidget
{
public:
    using QWidget::QWidget;

    QList<int> pressed;
    int menus = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override { pressed.append(event->key()); }
    void contextMenuEvent(QContextMenuEvent *) override { ++menus; }
};

bool showAndActivate(QWidget &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

} // namespace

class TestKeyMonitor final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void swallowedKeysReachNothingElse_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("swallow");
        QTest::addColumn<int>("escapeShortcuts");
        QTest::addColumn<int>("actionShortcuts");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");

        const Qt::KeyboardModifiers none = Qt::NoModifier;
        QTest::newRow("escape swallowed before its shortcut")
            << int(Qt::Key_Escape) << none << true << 0 << 0 << "abc" << 3;
        QTest::newRow("escape passed on to its shortcut")
            << int(Qt::Key_Escape) << none << false << 1 << 0 << "abc" << 3;
        QTest::newRow("action shortcut swallowed")
            << int(Qt::Key_N) << Qt::KeyboardModifiers(Qt::ControlModifier) << true << 0 << 0 << "abc" << 3;
        QTest::newRow("action shortcut passed on")
            << int(Qt::Key_N) << Qt::KeyboardModifiers(Qt::ControlModifier) << false << 0 << 1 << "abc" << 3;
        QTest::newRow("caret key swallowed") << int(Qt::Key_Left) << none << true << 0 << 0 << "abc" << 3;
        QTest::newRow("caret key passed on") << int(Qt::Key_Left) << none << false << 0 << 0 << "abc" << 2;
        QTest::newRow("typing swallowed") << int(Qt::Key_X) << none << true << 0 << 0 << "abc" << 3;
        QTest::newRow("typing passed on") << int(Qt::Key_X) << none << false << 0 << 0 << "abcx" << 4;
        // The field ignores F5, so Qt hands it to every parent: still offered once.
        QTest::newRow("ignored key passed on") << int(Qt::Key_F5) << none << false << 0 << 0 << "abc" << 3;
    }

    void swallowedKeysReachNothingElse()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, swallow);

        Window window;
        QSignalSpy escapes(window.escape, &QShortcut::activated);
        QSignalSpy actions(window.newTodo, &QAction::triggered);
        window.swallow([swallow](int) { return swallow; });
        window.field->setText(QStringLiteral("abc"));
        QVERIFY(showAndActivate(window.root));
        window.field->setFocus();

        // Through the window, as the platform delivers a press.
        QTest::keyClick(window.root.windowHandle(), Qt::Key(key), modifiers);

        QCOMPARE(window.offered, QList<int> { key });
        QTEST(int(escapes.count()), "escapeShortcuts");
        QTEST(int(actions.count()), "actionShortcuts");
        QTEST(window.field->text(), "text");
        QTEST(window.field->cursorPosition(), "cursor");
    }

    void keySentToTheWidgetIsOfferedOnce()
    {
        Window window;
        window.swallow([](int) { return false; });
        QVERIFY(showAndActivate(window.root));
        window.field->setFocus();

        QTest::keyClick(window.field, Qt::Key_F5);
        QTest::keyClick(window.field, Qt::Key_Down);
        QTest::keyClick(window.field, Qt::Key_Down);
        QCOMPARE(window.offered, (QList<int> { Qt::Key_F5, Qt::Key_Down, Qt::Key_Down }));
    }

    void onlyTheKeysOwnWindowIsAsked()
    {
        Window first;
        Window second;
        first.swallow([](int) { return true; });
        second.swallow([](int) { return true; });
        QVERIFY(showAndActivate(first.root));
        second.root.show();
        first.field->setFocus();

        QTest::keyClick(first.root.windowHandle(), Qt::Key_Down);
        QCOMPARE(first.offered, QList<int> { Qt::Key_Down });
        QVERIFY(second.offered.isEmpty());
    }

    void hiddenOrRemovedViewHearsNothing()
    {
        Window window;
        auto *other = new QLineEdit(&window.root);
        window.root.layout()->addWidget(other);
        window.swallow([](int) { return true; });
        QVERIFY(showAndActivate(window.root));
        other->setFocus();

        window.view->hide(); // its tab is switched away
        QTest::keyClick(window.root.windowHandle(), Qt::Key_A);
        QVERIFY(window.offered.isEmpty());
        QCOMPARE(other->text(), QStringLiteral("a"));

        window.view->show();
        QTest::keyClick(window.root.windowHandle(), Qt::Key_B);
        QCOMPARE(window.offered, QList<int> { Qt::Key_B });

        delete window.view;
        window.view = nullptr;
        QTest::keyClick(window.root.windowHandle(), Qt::Key_C);
        QCOMPARE(other->text(), QStringLiteral("ac"));
    }

    void monitorsOfOneWindowAreAskedUntilOneSwallows()
    {
        Window window;
        QList<QString> asked;
        auto *inner = new KeyMonitor(window.field);
        window.monitor->setHandler([&asked](const QKeyEvent &key) {
            asked.append(QStringLiteral("outer"));
            return key.key() == Qt::Key_Up;
        });
        inner->setHandler([&asked](const QKeyEvent &key) {
            asked.append(QStringLiteral("inner"));
            return key.key() == Qt::Key_Down;
        });
        QVERIFY(showAndActivate(window.root));
        window.field->setFocus();

        QTest::keyClick(window.root.windowHandle(), Qt::Key_Down);
        QCOMPARE(asked, (QList<QString> { QStringLiteral("inner") }));
        asked.clear();
        QTest::keyClick(window.root.windowHandle(), Qt::Key_Up);
        QCOMPARE(asked, (QList<QString> { QStringLiteral("inner"), QStringLiteral("outer") }));
        asked.clear();
        QTest::keyClick(window.root.windowHandle(), Qt::Key_X);
        QCOMPARE(asked, (QList<QString> { QStringLiteral("inner"), QStringLiteral("outer") }));
        QCOMPARE(window.field->text(), QStringLiteral("x"));
    }

    void keyThatHidesTheWindowStaysSwallowed()
    {
        Window window;
        QSignalSpy returns(window.field, &QLineEdit::returnPressed);
        window.monitor->setHandler([&window](const QKeyEvent &key) {
            if (key.key() != Qt::Key_Return)
                return false;
            window.root.hide(); // the panel closes after a copy
            return true;
        });
        QVERIFY(showAndActivate(window.root));
        window.field->setFocus();
        QTest::keyClick(window.root.windowHandle(), Qt::Key_Return);
        QVERIFY(window.root.isHidden());
        QCOMPARE(returns.count(), 0);
    }

    // A handler whose work rebuilds the focused widget (a refresh after a copy) deletes the key's
    // receiver under the monitor; nothing may touch it afterwards, nor deliver the key to it.
    // Run with freed memory poisoned (MALLOC_PERTURB_) so that a touch crashes.
    void handlerThatDestroysTheReceiver_data()
    {
        QTest::addColumn<bool>("swallow");
        QTest::newRow("swallowed") << true;
        QTest::newRow("passed on") << false;
    }
    void handlerThatDestroysTheReceiver()
    {
        QFETCH(bool, swallow);
        Window window;
        auto *doomed = new QLineEdit(window.view);
        window.view->layout()->addWidget(doomed);
        QPointer<QLineEdit> watched = doomed;
        window.monitor->setHandler([&window, &watched, swallow](const QKeyEvent &key) {
            window.offered.append(key.key());
            delete watched.data();
            return swallow;
        });
        QVERIFY(showAndActivate(window.root));
        doomed->setFocus();
        QVERIFY(doomed->hasFocus());

        // Through the window, as the platform delivers a press (it looks up the focus afresh).
        QTest::keyClick(window.root.windowHandle(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(watched.isNull());
        QCOMPARE(window.offered, QList<int> { Qt::Key_C });
        // The monitor goes on working for the next press.
        window.field->setFocus();
        QTest::keyClick(window.root.windowHandle(), Qt::Key_X);
        QCOMPARE(window.offered, (QList<int> { Qt::Key_C, Qt::Key_X }));
        QCOMPARE(window.field->text(), swallow ? QString() : QStringLiteral("x"));
    }

    void withoutHandlerNothingIsSwallowed()
    {
        Window window;
        QSignalSpy escapes(window.escape, &QShortcut::activated);
        QVERIFY(showAndActivate(window.root));
        window.field->setFocus();
        QTest::keyClick(window.root.windowHandle(), Qt::Key_Q);
        QTest::keyClick(window.root.windowHandle(), Qt::Key_Escape);
        QCOMPARE(window.field->text(), QStringLiteral("q"));
        QCOMPARE(escapes.count(), 1);
    }

    // A focused control's own keys go to it and to no monitor; with a modifier, or once the
    // control has lost the focus, they are offered again.
    void aFocusedControlKeepsTheKeysItNamed()
    {
        Window window;
        auto *grid = new KeyLog(window.view);
        grid->setFocusPolicy(Qt::TabFocus);
        window.view->layout()->addWidget(grid);
        KeyMonitor::leaveKeysTo(grid, { Qt::Key_Left, Qt::Key_Space });
        window.swallow([](int) { return true; });
        QVERIFY(showAndActivate(window.root));
        grid->setFocus(Qt::TabFocusReason);

        for (const Qt::Key key : { Qt::Key_Left, Qt::Key_Space, Qt::Key_Down })
            QTest::keyClick(window.root.windowHandle(), key);
        QTest::keyClick(window.root.windowHandle(), Qt::Key_Left, Qt::ShiftModifier);
        grid->pressed.removeAll(Qt::Key_Shift);
        QCOMPARE(grid->pressed, (QList<int> { Qt::Key_Left, Qt::Key_Space }));
        QCOMPARE(window.offered, (QList<int> { Qt::Key_Down, Qt::Key_Left }));

        window.field->setFocus();
        QTest::keyClick(window.root.windowHandle(), Qt::Key_Left);
        QCOMPARE(window.offered.size(), 3);
    }

    // The Menu key reaches the focused widget as a context menu request: offered as the key, a
    // swallowed one opens no menu of the widget's; one from the pointer is never offered.
    void aContextMenuFromTheKeyboardIsOfferedAsTheMenuKey()
    {
        Window window;
        auto *target = new KeyLog(window.view);
        target->setFocusPolicy(Qt::StrongFocus);
        window.view->layout()->addWidget(target);
        bool swallow = true;
        window.swallow([&swallow](int) { return swallow; });
        QVERIFY(showAndActivate(window.root));
        target->setFocus();

        const QPoint at = target->rect().center();
        QContextMenuEvent fromKey(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at), Qt::ShiftModifier);
        QApplication::sendEvent(target, &fromKey);
        QCOMPARE(window.offered, QList<int> { Qt::Key_Menu });
        QCOMPARE(target->menus, 0);

        swallow = false;
        QApplication::sendEvent(target, &fromKey);
        QCOMPARE(window.offered.size(), 2);
        QCOMPARE(target->menus, 1);

        swallow = true;
        QContextMenuEvent fromMouse(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &fromMouse);
        QCOMPARE(window.offered.size(), 2);
        QCOMPARE(target->menus, 2);
    }
};

QTEST_MAIN(TestKeyMonitor)
#include "tst_KeyMonitor.moc"
