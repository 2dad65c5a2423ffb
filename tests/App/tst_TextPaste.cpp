#include "App/TextPaste.h"
#include "FakeSystemClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A window of two text fields, watched as the application watches its own.
struct Window
{
    FakeSystemClipboard clipboard;
    TextPaste paste { clipboard };
    QWidget root;
    QLineEdit *field = new QLineEdit(&root);
    QLineEdit *other = new QLineEdit(&root);

    Window()
    {
        auto *layout = new QVBoxLayout(&root);
        layout->addWidget(field);
        layout->addWidget(other);
        qApp->installEventFilter(&paste);
        // What Qt's own clipboard holds; the system clipboard holds something else.
        QGuiApplication::clipboard()->setText(u"from Qt's clipboard"_s);
        clipboard.copyText(u"from another program"_s);
    }

    bool show()
    {
        root.show();
        root.activateWindow();
        if (!QTest::qWaitForWindowActive(&root))
            return false;
        field->setFocus();
        return field->hasFocus();
    }

    QMenu *openMenu()
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), field->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(field, &event);
        return field->findChild<QMenu *>();
    }
};

QStringList titles(const QMenu &menu)
{
    QStringList result;
    for (const QAction *action : menu.actions())
        result << (action->isSeparator() ? u"-"_s : action->text().section(u'\t', 0, 0));
    return result;
}

} // namespace

class TestTextPaste final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Ctrl+V and the menu's Paste take the text from the system clipboard, asked for without
    // waiting: nothing is inserted until the read comes back, and then at the cursor.
    void pasteReadsTheSystemClipboardWithoutWaiting()
    {
        Window w;
        QVERIFY(w.show());
        w.field->setText(u"say "_s);
        QTest::keyClick(w.field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.field->text(), u"say "_s);
        QCOMPARE(w.clipboard.readCount(), 1);
        QTRY_COMPARE(w.field->text(), u"say from another program"_s);

        w.field->selectAll();
        QMenu *menu = w.openMenu();
        QVERIFY(menu);
        QCOMPARE(titles(*menu),
            (QStringList {
                u"Undo"_s, u"Redo"_s, u"-"_s, u"Cut"_s, u"Copy"_s, u"Paste"_s, u"Delete"_s, u"-"_s, u"Select All"_s }));
        const QList<QAction *> actions = menu->actions();
        QVERIFY(actions.at(0)->isEnabled());
        QVERIFY(!actions.at(1)->isEnabled());
        QVERIFY(actions.at(3)->isEnabled() && actions.at(4)->isEnabled() && actions.at(6)->isEnabled());
        QVERIFY(!actions.at(8)->isEnabled());
        actions.at(5)->trigger();
        menu->close();
        w.field->setFocus();
        QTRY_COMPARE(w.field->text(), u"from another program"_s);
        QCOMPARE(w.clipboard.readCount(), 2);
    }

    // A paste whose read comes back after the user has moved on, or finds no text (an owner
    // that did not answer in time), inserts nothing; a read-only field is left to itself.
    void aPasteThatComesTooLateOrEmptyInsertsNothing()
    {
        Window w;
        QVERIFY(w.show());
        QTest::keyClick(w.field, Qt::Key_V, Qt::ControlModifier);
        w.other->setFocus();
        QTRY_COMPARE(w.clipboard.pendingReads(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(w.field->text(), QString());
        QCOMPARE(w.other->text(), QString());

        w.field->setFocus();
        w.clipboard.clearContents();
        QTest::keyClick(w.field, Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(w.clipboard.pendingReads(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(w.field->text(), QString());

        w.field->setReadOnly(true);
        QTest::keyClick(w.field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.clipboard.readCount(), 2);
    }

    // Where the desktop has a selection (X11), the middle button pastes the text selected in
    // another program, read the same way, at the cursor, never what Qt's clipboard holds.
    void theMiddleButtonPastesTheSelectedTextWithoutWaiting()
    {
        if (!QGuiApplication::clipboard()->supportsSelection())
            QSKIP("no selection on this platform");
        Window w;
        QVERIFY(w.show());
        QGuiApplication::clipboard()->setText(u"from Qt's selection"_s, QClipboard::Selection);
        w.clipboard.setSelectedText(u"selected elsewhere"_s);
        w.field->setText(u"say "_s);
        QTest::mouseClick(w.field, Qt::MiddleButton, {}, QPoint(w.field->width() - 4, w.field->height() / 2));
        QCOMPARE(w.field->text(), u"say "_s);
        QCOMPARE(w.clipboard.readCount(), 1);
        QTRY_COMPARE(w.field->text(), u"say selected elsewhere"_s);
    }
};

QTEST_MAIN(TestTextPaste)
#include "tst_TextPaste.moc"
