#include "Views/Todos/InlineEditor.h"

#include <QApplication>
#include <QLineEdit>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A window with another field to move the focus to and a window-wide Escape, as the panel has.
struct Host
{
    QWidget window;
    QLineEdit *other = new QLineEdit(&window);
    QShortcut *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    QShortcut *enter = new QShortcut(QKeySequence(Qt::Key_Return), &window);
    InlineEditor *editor = nullptr;
    QString draft;
    int commits = 0;
    int cancels = 0;

    explicit Host(const QString &text)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(other);
        window.resize(300, 80);
        window.show();
        window.activateWindow();
        other->setFocus();
        draft = text;
        editor = new InlineEditor(text, 13, &window);
        QObject::connect(editor, &InlineEditor::textEdited, &window, [this](const QString &t) { draft = t; });
        QObject::connect(editor, &InlineEditor::committed, &window, [this] { ++commits; });
        QObject::connect(editor, &InlineEditor::cancelled, &window, [this] { ++cancels; });
        layout->addWidget(editor);
        editor->show();
    }
};

} // namespace

class TestInlineEditor final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void takesTheFocusWithTheCaretAtTheEnd()
    {
        Host host(u"Buy milk"_s);
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        QTRY_VERIFY(host.editor->hasFocus());
        QCOMPARE(host.editor->cursorPosition(), 8);
        QVERIFY(!host.editor->hasSelectedText());
        QCOMPARE(host.editor->accessibleName(), u"Edit todo"_s);
        QVERIFY(!host.editor->hasFrame());
    }

    void longTitlesAreNeverCut()
    {
        Host host(u"a"_s);
        host.editor->setCursorPosition(1);
        host.editor->insert(QString(40000, u'b'));
        QCOMPARE(host.draft.size(), 40001);
        host.editor->setDraft(QString(50000, u'c'));
        QCOMPARE(host.editor->text().size(), 50000);
    }

    // Each way of ending an edit reports once, whatever follows it.
    void endsExactlyOnce_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("commits");
        QTest::addColumn<int>("cancels");
        QTest::newRow("Return") << u"return"_s << 1 << 0;
        QTest::newRow("Enter") << u"enter"_s << 1 << 0;
        QTest::newRow("Escape") << u"escape"_s << 0 << 1;
        QTest::newRow("focus elsewhere") << u"blur"_s << 1 << 0;
    }

    void endsExactlyOnce()
    {
        QFETCH(QString, ending);
        QFETCH(int, commits);
        QFETCH(int, cancels);

        Host host(u"a"_s);
        QSignalSpy escapes(host.escape, &QShortcut::activated);
        QSignalSpy enters(host.enter, &QShortcut::activated);
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        QTRY_VERIFY(host.editor->hasFocus());
        QTest::keyClicks(host.editor, u"bc"_s);
        QCOMPARE(host.draft, u"abc"_s);

        if (ending == u"return"_s)
            QTest::keyClick(host.editor, Qt::Key_Return);
        else if (ending == u"enter"_s)
            QTest::keyClick(host.editor, Qt::Key_Enter, Qt::KeypadModifier);
        else if (ending == u"escape"_s)
            QTest::keyClick(host.editor, Qt::Key_Escape);
        else
            host.other->setFocus(Qt::MouseFocusReason);
        QCOMPARE(host.commits, commits);
        QCOMPARE(host.cancels, cancels);
        // The window's own Escape and Return never see the keys that end the edit.
        QCOMPARE(escapes.count(), 0);
        QCOMPARE(enters.count(), 0);

        // A second Return or Escape, then the loss of focus the host's removal causes: silence.
        host.editor->setFocus();
        QTest::keyClick(host.editor, Qt::Key_Return);
        QTest::keyClick(host.editor, Qt::Key_Escape);
        host.other->setFocus(Qt::OtherFocusReason);
        delete host.editor;
        QCOMPARE(host.commits, commits);
        QCOMPARE(host.cancels, cancels);
        QCOMPARE(host.draft, u"abc"_s);
    }

    void aContextMenuOrAnotherWindowLeavesTheEditOpen()
    {
        Host host(u"a"_s);
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        QTRY_VERIFY(host.editor->hasFocus());
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(host.editor, &popup);
        QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(host.editor, &deactivated);
        QCOMPARE(host.commits + host.cancels, 0);
        QVERIFY(!host.editor->isFinished());
    }

    void anEqualDraftKeepsTheCaret()
    {
        Host host(u"hello"_s);
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        QTRY_VERIFY(host.editor->hasFocus());
        host.editor->setCursorPosition(2);
        host.editor->setDraft(u"hello"_s);
        QCOMPARE(host.editor->cursorPosition(), 2);
        host.editor->setDraft(u"hello there"_s);
        QCOMPARE(host.editor->text(), u"hello there"_s);
        // Only the user's changes are reported.
        QCOMPARE(host.draft, u"hello"_s);
    }
};

QTEST_MAIN(TestInlineEditor)
#include "tst_InlineEditor.moc"
