#include "AnimationClock.h"
#include "ClipboardViewFixture.h"
#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/CrossFade.h"
#include "Components/Controls/IconButton.h"
#include "Components/Controls/RollingLabel.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Theme.h"
#include "Screenshots.h"
#include "Services/Clipboard/ClearPrompt.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Views/Clipboard/ClearConfirmation.h"
#include "Views/Clipboard/ClearHistoryMenu.h"
#include "Views/Clipboard/ClipboardDetail.h"
#include "Views/Clipboard/ClipboardListView.h"
#include "Views/Clipboard/ClipboardNotice.h"
#include "Views/Clipboard/ClipboardResults.h"
#include "Views/Clipboard/ClipboardRowDelegate.h"
#include "Views/Clipboard/SearchField.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

const QDateTime start(QDate(2026, 3, 2), QTime(9, 0));

QUuid topRow(ClipboardView &view)
{
    ClipboardListView *list = view.results()->list();
    const QModelIndex top = list->indexAt(QPoint(1, 1));
    return top.isValid() ? view.state().list().item(top.row()).id : QUuid();
}

void fill(ClipboardViewFixture &tab)
{
    const QDateTime now = tab.clock.now();
    tab.history.add(QStringLiteral("Quarterly report draft: revenue grew 12 % while costs stayed flat; see the "
                                   "appendix for the regional breakdown and the notes from Tuesday's review."),
        now.addSecs(-7200), QStringLiteral("Text Editor"));
    tab.history.add(ClipboardKind::File, QStringLiteral("/home/me/Documents/report.pdf\n/home/me/Pictures/cat.png"),
        now.addSecs(-3600));
    tab.history.store->record(ClipboardHistory::capture(ClipboardKind::Code,
        QStringLiteral("for (const auto &item : items)\n    total += item.price();"), now.addSecs(-1800),
        QStringLiteral("Code")));
    tab.addPicture(QColor(255, 149, 0), now.addSecs(-600));
    tab.history.store->record(ClipboardHistory::capture(ClipboardKind::Url,
        QStringLiteral("https://www.example.com/articles/2026/clipboard-tips"), now.addSecs(-120),
        QStringLiteral("Web Browser")));
    tab.history.add(QStringLiteral("meeting at 3 pm"), now.addSecs(-20), QStringLiteral("Chat"));
    tab.history.add(QStringLiteral("meeting at 3 pm"), now.addSecs(-10), QStringLiteral("Chat"));
}

void settle(QWidget &widget)
{
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    // Pictures decode off the main thread.
    QTest::qWait(300);
    QCoreApplication::processEvents();
}

} // namespace

class tst_ClipboardView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newCopyKeepsSelectionAndScroll();
    void panelOffersTheWindowForMore();
    void emptyAndNoMatchTexts();
    void typingSearchesAndTheKeysReachTheState();
    void pastedDocumentIsCutBeforeLayout_data();
    void pastedDocumentIsCutBeforeLayout();
    void titlesKeepTheirOwnLines_data();
    void titlesKeepTheirOwnLines();
    void previewShowsFactsAndOnlyAcceptedLinks();
    void copyKeysFromAFocusedFact_data();
    void copyKeysFromAFocusedFact();
    void copyKeyCopiesASelectedPart_data();
    void copyKeyCopiesASelectedPart();
    void longWordsWrapInThePreview_data();
    void longWordsWrapInThePreview();
    void previewOfAGoneEntryShowsTheList_data();
    void previewOfAGoneEntryShowsTheList();
    void clearMenuAsksBeforeDeleting();
    void escapeFromTheQuestionsOwnButton();
    void noticeFollowsTheSwitches();
    void keyboardWalksTheNoticeAndThePreview();
    void clearMenuFromTheKeyboardOpensBesideItsButton();
    void failedPictureIsTriedAgainWhenShownAgain();
    void rowsNameTheirActionsToAssistiveTechnology();
    void previewLetsTheCardShowThrough();
    void motionFollowsThePreference_data();
    void motionFollowsThePreference();
    void labelsFollowTheAppearance();
    void screenshotsOfTheWindow_data();
    void screenshotsOfTheWindow();
};

void tst_ClipboardView::newCopyKeepsSelectionAndScroll()
{
    // The selected row eases into view; a frame of that scroll lands only when the test says.
    AnimationClock clock;
    ClipboardViewFixture tab(Density::Regular);
    tab.history.fill(80, start);
    ClipboardView &view = tab.view();
    view.resize(560, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ClipboardListView *list = view.results()->list();
    QScrollBar *bar = list->verticalScrollBar();
    bar->setValue(600);
    const QUuid top = topRow(view);
    QVERIFY(!top.isNull());
    QVERIFY(list->visualRect(list->indexAt(QPoint(1, 1))).top() < 0);
    view.state().setSelection(top);
    clock.step(50);
    QVERIFY(list->isScrolling());

    // A copy arriving while it eases: the row stays on top when the scroll has come to rest.
    tab.history.add(QStringLiteral("a new copy"), start.addDays(1));
    QTRY_COMPARE(view.state().list().totalCount(), 81);
    QCOMPARE(view.state().selection(), top);
    QCOMPARE(topRow(view), top);
    clock.step(200);
    QVERIFY(!list->isScrolling());
    QCOMPARE(topRow(view), top);
    QCOMPARE(list->visualRect(list->indexAt(QPoint(1, 1))).top(), 0);
    QVERIFY(bar->value() > 600);

    // At the very top the new copy shows, also after rows were read further down meanwhile,
    // and after a scroll easing the selection into view was cut short by the hand.
    const int below = list->indexAt(QPoint(1, list->viewport()->height() - 1)).row() + 3;
    view.state().setSelection(view.state().list().item(below).id);
    clock.step(50);
    QVERIFY(list->isScrolling());
    bar->setValue(bar->maximum());
    bar->setValue(0);
    tab.history.add(QStringLiteral("another"), start.addDays(2));
    QTRY_COMPARE(view.state().list().totalCount(), 82);
    clock.step(200);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(view.state().list().item(list->indexAt(QPoint(1, 1)).row()).content, QStringLiteral("another"));
}

void tst_ClipboardView::panelOffersTheWindowForMore()
{
    ClipboardViewFixture tab(Density::Compact);
    tab.history.fill(100, start);
    ClipboardView &view = tab.view();
    view.resize(380, 600);
    view.show();
    TintedButton *more = view.results()->showMoreButton();
    QVERIFY(!more->isVisible());
    QVERIFY(view.results()->list()->height() <= ClipboardResults::compactListMaxHeight);

    int expansions = 0;
    QObject::connect(&tab.surface, &Surface::expandRequested, &tab.surface, [&expansions] { ++expansions; });
    tab.history.add(QStringLiteral("one more"), start.addDays(1));
    QTRY_VERIFY(more->isVisible());
    QCOMPARE(more->text(), QStringLiteral("Show All in Window"));
    while (view.state().list().canFetchMore())
        view.state().list().fetchMore();
    QCOMPARE(view.state().list().rowCount(), 100);
    QTest::mouseClick(more, Qt::LeftButton);
    QCOMPARE(expansions, 1);
}

void tst_ClipboardView::emptyAndNoMatchTexts()
{
    ClipboardViewFixture tab(Density::Compact);
    ClipboardView &view = tab.view();
    ClipboardResults *results = view.results();
    QCOMPARE(results->emptyTitle()->text(), QStringLiteral("Nothing copied yet."));
    QCOMPARE(results->status()->text(), QStringLiteral("Saved on this computer"));

    tab.history.add(QStringLiteral("hello"), start);
    tab.history.add(QStringLiteral("world"), start.addSecs(5));
    view.state().setQuery(QStringLiteral("abc"));
    QVERIFY(results->showsEmptyState());
    QCOMPARE(results->emptyTitle()->text(), QStringLiteral("No matches for \u201Cabc\u201D."));
    QCOMPARE(results->status()->text(), QStringLiteral("2 items"));
    QCOMPARE(results->header()->text(), QStringLiteral("0 Results"));
}

void tst_ClipboardView::typingSearchesAndTheKeysReachTheState()
{
    ClipboardViewFixture tab(Density::Regular);
    tab.history.add(QStringLiteral("apple pie"), start);
    tab.history.add(QStringLiteral("banana"), start.addSecs(5));
    ClipboardView &view = tab.view();
    view.resize(560, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.activateWindow();
    QLineEdit *field = view.searchField()->field();
    QTRY_VERIFY(field->hasFocus());

    QTest::keyClicks(field, QStringLiteral("pie"));
    QCOMPARE(view.state().query(), QStringLiteral("pie"));
    QCOMPARE(view.state().list().rowCount(), 1);
    // Down selects the row and the field keeps the focus (and the keys).
    QTest::keyClick(field, Qt::Key_Down);
    QCOMPARE(view.state().selection(), view.state().list().item(0).id);
    QVERIFY(!view.searchField()->isHighlighted());
    QTest::keyClick(field, Qt::Key_Space);
    QTRY_VERIFY(view.showsPreview());
    QTest::keyClick(&view, Qt::Key_Escape);
    QTRY_VERIFY(!view.showsPreview());
    // Escape: the selection, then the text.
    QTest::keyClick(field, Qt::Key_Escape);
    QCOMPARE(view.state().selection(), std::nullopt);
    QCOMPARE(field->text(), QStringLiteral("pie"));
    QTest::keyClick(field, Qt::Key_Escape);
    QCOMPARE(field->text(), QString());
    QCOMPARE(view.state().list().rowCount(), 2);
}

void tst_ClipboardView::pastedDocumentIsCutBeforeLayout_data()
{
    QTest::addColumn<Density>("density");
    QTest::addColumn<QString>("pasted");
    QTest::newRow("panel, one word of 1 MB") << Density::Compact << QString(1'000'000, u'x');
    QTest::newRow("window, words of 1 MB") << Density::Regular << u"lorem ipsum "_s.repeated(80'000);
    QTest::newRow("panel, a short one") << Density::Compact << u"abc"_s;
}

// A document pasted into the search is searched for its start, and its echo in the empty state
// keeps two lines (laying it out whole froze the tab for seconds to minutes).
void tst_ClipboardView::pastedDocumentIsCutBeforeLayout()
{
    QFETCH(Density, density);
    QFETCH(QString, pasted);
    ClipboardViewFixture tab(density);
    tab.history.add(QStringLiteral("hello"), start);
    ClipboardView &view = tab.view();
    view.resize(density == Density::Compact ? 380 : 560, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QGuiApplication::clipboard()->setText(pasted);
    view.searchField()->field()->paste();

    const QString searched = pasted.left(ClipboardTabState::maxQueryLength);
    QCOMPARE(view.state().query(), searched);
    QCOMPARE(view.searchField()->field()->text(), searched);
    QTRY_VERIFY(view.results()->showsEmptyState());
    QLabel *title = view.results()->emptyTitle();
    const QString shown = title->text().replace(u'\n', u' ');
    QVERIFY2(shown.startsWith(u"No matches for \u201C"_s), qPrintable(shown));
    QVERIFY(shown.endsWith(u"\u201D."_s));
    if (pasted.size() < 20)
        QCOMPARE(shown, u"No matches for \u201Cabc\u201D."_s);
    else
        QVERIFY(shown.contains(u"\u2026"_s));
    QVERIFY(title->heightForWidth(title->width()) <= 2 * title->fontMetrics().lineSpacing() + 2);
}

void tst_ClipboardView::titlesKeepTheirOwnLines_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("code longer than the rows")
        << u"int main() {\n  return 0;\n}"_s << 2 << QStringList { u"int main() {"_s, u"  return 0;\u2026"_s };
    QTest::newRow("as many lines as rows") << u"first\nsecond"_s << 2 << QStringList { u"first"_s, u"second"_s };
    QTest::newRow("the window's three") << u"a\nb\nc\nd"_s << 3 << QStringList { u"a"_s, u"b"_s, u"c\u2026"_s };
    QTest::newRow("one line wrapped") << u"lorem ipsum "_s.repeated(40).trimmed() << 2 << QStringList();
}

// A title with line breaks of its own, such as code, shows each of its lines as it is, the last
// one cut with an ellipsis when more follows, never with the next line run into it.
void tst_ClipboardView::titlesKeepTheirOwnLines()
{
    QFETCH(QString, title);
    QFETCH(int, lines);
    QFETCH(QStringList, shown);
    const QFont font = QApplication::font();
    const QList<QString> laidOut = ClipboardRowDelegate::wrappedTitle(title, font, 300, lines);
    if (!shown.isEmpty()) {
        QCOMPARE(laidOut, shown);
        return;
    }
    QCOMPARE(laidOut.size(), lines);
    QVERIFY(laidOut.last().endsWith(u'\u2026'));
    for (const QString &line : laidOut)
        QVERIFY(QFontMetricsF(font).horizontalAdvance(line) <= 300);
}

void tst_ClipboardView::previewShowsFactsAndOnlyAcceptedLinks()
{
    ClipboardViewFixture tab(Density::Compact);
    const ClipboardItem web = tab.history.add(ClipboardKind::Url, QStringLiteral("https://example.com"), start);
    const ClipboardItem local = tab.history.add(ClipboardKind::Url, QStringLiteral("file:///etc/passwd"), start);
    ClipboardView &view = tab.view();
    view.resize(380, 500);
    view.show();

    view.state().preview(web);
    QVERIFY(view.showsPreview());
    QVERIFY(view.detail()->openLinkButton());
    QCOMPARE(view.detail()->shownFacts().first(), qMakePair(QStringLiteral("Copied"), QStringLiteral("Once")));
    QCOMPARE(view.detail()->shownFacts().last().second, QStringLiteral("19 characters"));

    view.state().closePreview();
    view.state().preview(local);
    QVERIFY(!view.detail()->openLinkButton());
    QMenu *menu = view.results()->list()->makeMenu(local, &view);
    QStringList titles;
    for (QAction *action : menu->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList { u"Copy"_s, u"Preview"_s, u""_s, u"Delete"_s }));
}

void tst_ClipboardView::copyKeysFromAFocusedFact_data()
{
    QTest::addColumn<Density>("density");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("panel, Ctrl+C") << Density::Compact << int(Qt::Key_C) << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("panel, Return") << Density::Compact << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("window, Ctrl+C") << Density::Regular << int(Qt::Key_C) << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("window, Return") << Density::Regular << int(Qt::Key_Return) << Qt::KeyboardModifiers();
}

// A click on a fact's value focuses it; the copy that the key makes refreshes the facts, which
// must not destroy the focused value under the key's delivery (this crashed).
void tst_ClipboardView::copyKeysFromAFocusedFact()
{
    QFETCH(Density, density);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    ClipboardViewFixture tab(density);
    const ClipboardItem item = tab.history.add(QStringLiteral("hello there"), start, QStringLiteral("Chat"));
    ClipboardView &view = tab.view();
    view.resize(density == Density::Compact ? 380 : 560, 500);
    tab.surface.setVisible(true);
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.state().preview(item);
    QVERIFY(view.showsPreview());

    QTextEdit *size = nullptr;
    for (QTextEdit *value : view.detail()->findChildren<QTextEdit *>())
        if (value->toPlainText() == QStringLiteral("11 characters"))
            size = value;
    QVERIFY(size);
    QTest::mouseClick(size->viewport(), Qt::LeftButton, {}, QPoint(4, size->height() / 2));
    QTRY_VERIFY(size->hasFocus());
    const QPointer<QTextEdit> focused = size;

    QTest::keyClick(view.windowHandle(), Qt::Key(key), modifiers);
    QTRY_COMPARE(tab.history.store->item(item.id)->copyCount, 2);
    // Updated in place: the value the user clicked is still there, with the new facts beside it.
    QVERIFY(focused);
    const QList<QPair<QString, QString>> facts = view.detail()->shownFacts();
    QCOMPARE(facts.first(), qMakePair(QStringLiteral("Copied"), QStringLiteral("2 times")));
    QCOMPARE(facts.size(), 5);
    QCOMPARE(facts.last(), qMakePair(QStringLiteral("Size"), QStringLiteral("11 characters")));
}

void tst_ClipboardView::copyKeyCopiesASelectedPart_data()
{
    QTest::addColumn<ClipboardKind>("kind");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("selectIn");
    QTest::addColumn<QString>("copied");
    QTest::newRow("a fact's value") << ClipboardKind::Text << u"hello there"_s << u"11 characters"_s << u"11 ch"_s;
    QTest::newRow("a file's name") << ClipboardKind::File << u"/home/me/report.pdf"_s << u"report.pdf"_s << u"repor"_s;
    QTest::newRow("the text itself") << ClipboardKind::Text << u"hello there"_s << u"hello there"_s << u"hello"_s;
}

// Ctrl+C with part of any text of the preview selected copies that part, not the entry.
void tst_ClipboardView::copyKeyCopiesASelectedPart()
{
    QFETCH(ClipboardKind, kind);
    QFETCH(QString, content);
    QFETCH(QString, selectIn);
    QFETCH(QString, copied);
    ClipboardViewFixture tab(Density::Regular);
    const ClipboardItem item = tab.history.add(kind, content, start);
    ClipboardView &view = tab.view();
    view.resize(560, 500);
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.state().preview(item);
    QLabel *label = nullptr;
    for (QLabel *candidate : view.detail()->findChildren<QLabel *>())
        if (candidate->text() == selectIn)
            label = candidate;
    QTextEdit *text = nullptr;
    for (QTextEdit *candidate : view.detail()->findChildren<QTextEdit *>())
        if (!label && candidate->toPlainText() == selectIn)
            text = candidate;
    QVERIFY(label || text);
    QWidget *selecting = label ? static_cast<QWidget *>(label) : text;
    const auto select = [label, text](int length) {
        if (label) {
            label->setSelection(0, length);
            return;
        }
        QTextCursor cursor(text->document());
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, length);
        text->setTextCursor(cursor);
    };
    QGuiApplication::clipboard()->clear();
    selecting->setFocus(Qt::MouseFocusReason);
    select(5);

    QTest::keyClick(view.windowHandle(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    QCOMPARE(tab.history.store->item(item.id)->copyCount, 1);
    QVERIFY(view.showsPreview());
    // Without a selection the key copies the entry.
    select(0);
    QTest::keyClick(view.windowHandle(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(tab.history.store->item(item.id)->copyCount, 2);
}

void tst_ClipboardView::longWordsWrapInThePreview_data()
{
    QTest::addColumn<Density>("density");
    QTest::addColumn<ClipboardKind>("kind");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("source");
    const QString base64 = u"QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo="_s.repeated(20);
    const QString longName = u"org.example.SomeVeryLongApplicationIdentifierThatNeverEnds.Helper"_s + QString(20, u'x');
    QTest::newRow("panel, base64") << Density::Compact << ClipboardKind::Text << base64 << QString();
    QTest::newRow("panel, a long link") << Density::Compact << ClipboardKind::Url
                                        << u"https://example.com/"_s + QString(600, u'a') << QString();
    QTest::newRow("window, base64 in a sentence")
        << Density::Regular << ClipboardKind::Text << u"the key is "_s + base64 + u" and that is all"_s << QString();
    QTest::newRow("panel, a long source name") << Density::Compact << ClipboardKind::Text << u"hello"_s << longName;
    QTest::newRow("window, a long source name") << Density::Regular << ClipboardKind::Text << u"hello"_s << longName;
    QTest::newRow("panel, a long file name")
        << Density::Compact << ClipboardKind::File << u"/home/me/"_s + QString(120, u'f') + u".pdf"_s << QString();
    QTest::newRow("panel, a deep folder") << Density::Compact << ClipboardKind::File
                                          << u"/home/me/"_s + u"folder/"_s.repeated(40) + u"f.pdf"_s << QString();
}

// A word wider than the preview wraps anywhere, a file's name or folder too long for one line is
// cut with "…": nothing of the preview reaches past its edge, and the text takes the lines it
// needs.
void tst_ClipboardView::longWordsWrapInThePreview()
{
    QFETCH(Density, density);
    QFETCH(ClipboardKind, kind);
    QFETCH(QString, content);
    QFETCH(QString, source);
    ClipboardViewFixture tab(density);
    const ClipboardItem item
        = source.isEmpty() ? tab.history.add(kind, content, start) : tab.history.add(content, start, source);
    ClipboardView &view = tab.view();
    const int width = density == Density::Compact ? 380 : 560;
    view.resize(width, 700);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.state().preview(item);
    QCoreApplication::processEvents();
    ClipboardDetail *detail = view.detail();
    QCOMPARE(detail->width(), width);
    for (const QWidget *child : detail->findChildren<QWidget *>()) {
        if (!child->isVisibleTo(detail))
            continue;
        const QRect shown(child->mapTo(detail, QPoint(0, 0)), child->size());
        QVERIFY2(shown.right() < width, qPrintable(QString::fromLatin1(child->metaObject()->className())));
        const auto *label = qobject_cast<const QLabel *>(child);
        if (label && !label->wordWrap())
            QVERIFY2(
                label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), qPrintable(label->text()));
    }
    if (!source.isEmpty())
        QVERIFY(detail->shownFacts().contains(qMakePair(u"From"_s, source)));
    if (kind == ClipboardKind::File) {
        int cut = 0;
        for (const QLabel *label : detail->findChildren<QLabel *>())
            cut += label->text().contains(u'…') ? 1 : 0;
        QCOMPARE(cut, 1);
        return;
    }
    const int lines = content.size() * QFontMetrics(Densities::font(density)).averageCharWidth() / width;
    QVERIFY(detail->textView());
    QVERIFY(detail->textView()->height() >= lines * QFontMetrics(Densities::font(density)).height() / 2);
}

void tst_ClipboardView::previewOfAGoneEntryShowsTheList_data()
{
    QTest::addColumn<bool>("clearing");
    QTest::newRow("deleted on the other surface") << false;
    QTest::newRow("cleared") << true;
}

// The previewed entry goes away elsewhere: the tab shows its list, whose keys work again.
void tst_ClipboardView::previewOfAGoneEntryShowsTheList()
{
    QFETCH(bool, clearing);
    ClipboardViewFixture tab(Density::Regular);
    const ClipboardItem kept = tab.history.add(QStringLiteral("kept"), start.addDays(-40));
    const ClipboardItem shown = tab.history.add(QStringLiteral("shown"), tab.clock.now());
    ClipboardView &view = tab.view();
    view.resize(560, 500);
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.state().preview(shown);
    QVERIFY(view.showsPreview());

    if (clearing)
        tab.history.store->deleteItems(
            ClearRequest::of(ClipboardPeriod::Today), tab.clock.now(), ClipboardCalendar::current());
    else
        tab.history.store->deleteItems({ shown });
    QTRY_VERIFY(!view.showsPreview());
    QTRY_VERIFY(view.searchField()->field()->hasFocus());
    QTest::keyClick(view.windowHandle(), Qt::Key_Down);
    QCOMPARE(view.state().selection(), kept.id);
    QTest::keyClick(view.windowHandle(), Qt::Key_Space);
    QTRY_VERIFY(view.showsPreview());
    QCOMPARE(view.detail()->shownID(), kept.id);
}

void tst_ClipboardView::clearMenuAsksBeforeDeleting()
{
    ClipboardViewFixture tab(Density::Regular);
    tab.history.add(QStringLiteral("old"), start.addDays(-40));
    tab.history.add(QStringLiteral("today"), QDateTime::currentDateTime());
    ClipboardView &view = tab.view();
    ClipboardResults *results = view.results();
    QMenu *menu = results->clearMenu()->makeMenu(&view);
    QStringList titles;
    for (QAction *action : menu->actions())
        titles << action->text();
    QCOMPARE(titles,
        (QStringList { u"Clear Clipboard History"_s, u"Delete Today\u2019s Clipboard"_s,
            u"Delete Last Week\u2019s Clipboard"_s, u"Delete Last Month\u2019s Clipboard"_s, u""_s,
            u"Delete All Clipboard\u2026"_s }));

    menu->actions().at(5)->trigger();
    QCOMPARE(tab.history.store->count(), 2);
    QVERIFY(results->confirmation());
    QCOMPARE(results->confirmation()->titleLabel()->text(), QStringLiteral("Delete all clipboard history?"));
    QCOMPARE(results->confirmation()->deleteButton()->text(), QStringLiteral("Delete All"));
    QTest::mouseClick(results->confirmation()->deleteButton(), Qt::LeftButton);
    QCOMPARE(tab.history.store->count(), 0);
    QTRY_COMPARE(results->confirmation(), nullptr);
}

// Escape closes the question while its Cancel button has the focus: the key's receiver goes
// away under the key (this touched freed memory).
void tst_ClipboardView::escapeFromTheQuestionsOwnButton()
{
    ClipboardViewFixture tab(Density::Compact);
    tab.history.add(QStringLiteral("today"), tab.clock.now());
    ClipboardView &view = tab.view();
    view.resize(380, 500);
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.state().beginClearing(ClearRequest::all());
    QPointer<QWidget> cancel = view.results()->confirmation()->cancelButton();
    QVERIFY(cancel);
    cancel->setFocus();
    QTRY_VERIFY(cancel->hasFocus());
    QTest::keyClick(view.windowHandle(), Qt::Key_Escape);
    QCOMPARE(view.state().clearing(), nullptr);
    QCOMPARE(view.results()->confirmation(), nullptr);
    QTRY_VERIFY(!cancel);
    QCOMPARE(tab.history.store->count(), 1);
}

void tst_ClipboardView::noticeFollowsTheSwitches()
{
    ClipboardViewFixture tab(Density::Compact);
    ClipboardView &view = tab.view();
    view.show();
    ClipboardNotice *notice = view.notice();
    QVERIFY(!notice->isVisible());
    tab.preferences.setClipboardPaused(true);
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->titleLabel()->text(), QStringLiteral("Clipboard history paused"));
    tab.preferences.setMonitorsClipboard(false);
    QCOMPARE(notice->titleLabel()->text(), QStringLiteral("Clipboard history is off"));
    QVERIFY(!view.results()->pauseButton()->isVisible());
    QTest::mouseClick(notice->buttons().first(), Qt::LeftButton);
    QVERIFY(tab.preferences.monitorsClipboard());
    QCOMPARE(notice->titleLabel()->text(), QStringLiteral("Clipboard history paused"));
}

// Tab reaches the notice's buttons right after the search field, and the preview's from its
// bar down to its actions; Space or Return presses the one reached. A notice button that goes
// away with its form leaves the keyboard with the new form's button or the search field, never
// with a control further on that Return would press.
void tst_ClipboardView::keyboardWalksTheNoticeAndThePreview()
{
    ClipboardViewFixture tab(Density::Compact);
    tab.history.add(QStringLiteral("note"), start);
    const ClipboardItem web = tab.history.add(ClipboardKind::Url, QStringLiteral("https://example.com"), start);
    ClipboardView &view = tab.view();
    view.resize(380, 500);
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    QLineEdit *field = view.searchField()->field();
    field->setFocus(Qt::TabFocusReason);
    const auto tab_ = [](Qt::Key key = Qt::Key_Tab) {
        QTest::keyClick(QApplication::focusWidget(), key);
        return QApplication::focusWidget();
    };

    ClipboardNotice *notice = view.notice();
    tab.preferences.setClipboardPaused(true);
    tab.preferences.setMonitorsClipboard(false);
    QTRY_VERIFY(notice->buttons().first()->isVisible());
    QCOMPARE(tab_(), notice->buttons().first());
    QCOMPARE(notice->buttons().first()->text(), QStringLiteral("Turn On"));
    QCOMPARE(tab_(Qt::Key_Backtab), field);
    QCOMPARE(tab_(), notice->buttons().first());
    // "Turn On" gives way to the paused form, whose "Resume" takes the keyboard.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(tab.preferences.monitorsClipboard());
    QTRY_COMPARE(QApplication::focusWidget(), notice->buttons().first());
    QCOMPARE(notice->buttons().first()->text(), QStringLiteral("Resume"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!tab.preferences.isClipboardPaused());
    QCOMPARE(QApplication::focusWidget(), field);
    QTRY_VERIFY(!notice->isVisible());
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
    QVERIFY(!view.showsPreview());

    view.state().preview(web);
    QVERIFY(view.showsPreview());
    ClipboardDetail *detail = view.detail();
    QCOMPARE(tab_(), detail->backButton());
    QCOMPARE(tab_(), detail->findChild<QScrollArea *>());
    QCOMPARE(tab_(), detail->openLinkButton());
    QCOMPARE(tab_(), detail->deleteButton());
    QCOMPARE(tab_(), detail->copyButton());
    QCOMPARE(tab_(Qt::Key_Backtab), detail->deleteButton());
    QCOMPARE(tab_(), detail->copyButton());
    // Return on Copy copies and stays; Space on the bar's button goes back.
    QTest::keyClick(detail->copyButton(), Qt::Key_Return);
    QCOMPARE(view.state().copiedID(), web.id);
    QVERIFY(view.showsPreview());
    detail->backButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(detail->backButton(), Qt::Key_Space);
    QTRY_VERIFY(!view.showsPreview());
    QCOMPARE(tab.history.store->count(), 2);
}

// Opened from the keyboard near the screen's bottom, the footer's menu rises above its button
// instead of covering it, with its first entry highlighted; it stays on the screen.
void tst_ClipboardView::clearMenuFromTheKeyboardOpensBesideItsButton()
{
    ClearHistoryMenu menu(ClearHistoryMenu::Style::Footer);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    menu.show();
    menu.move(screen.right() - menu.width() - 4, screen.bottom() - menu.height() - 4);
    menu.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    QAbstractButton *button = menu.findChild<QAbstractButton *>();
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button, Qt::Key_Space);
    auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(popup);
    const QRect at(button->mapToGlobal(QPoint(0, 0)), button->size());
    QVERIFY2(!popup->geometry().intersects(at), "the menu covers its button");
    QVERIFY(popup->geometry().bottom() < at.top());
    QVERIFY(screen.contains(popup->geometry()));
    QVERIFY(popup->activeAction());
    QCOMPARE(popup->activeAction()->text(), u"Delete Today\u2019s Clipboard"_s);
    popup->close();
}

// A thumbnail that could not be read when its row first showed is read again when the row
// shows again, not once for the life of the list.
void tst_ClipboardView::failedPictureIsTriedAgainWhenShownAgain()
{
    ClipboardViewFixture tab(Density::Regular);
    const ClipboardItem picture = tab.addPicture(QColor(52, 199, 89), start);
    const QString file = tab.history.folder() + QLatin1Char('/') + *picture.thumbnailPath;
    QVERIFY(QFile::rename(file, file + u".away"_s));
    ClipboardView &view = tab.view();
    view.resize(560, 400);
    settle(view);
    ClipboardRowDelegate *rows = view.results()->list()->rowDelegate();
    QVERIFY(!rows->hasPicture(picture));

    QVERIFY(QFile::rename(file + u".away"_s, file));
    view.results()->list()->viewport()->repaint();
    QTest::qWait(200);
    QVERIFY(!rows->hasPicture(picture)); // not read again on every repaint
    view.hide();
    view.show();
    QTRY_VERIFY(rows->hasPicture(picture));
}

// Each row is a button ("Text: hello", "Copies it again") whose press copies, with the named
// actions Preview and Delete, which act on that row even after rows arrived above it.
void tst_ClipboardView::rowsNameTheirActionsToAssistiveTechnology()
{
    ClipboardViewFixture tab(Density::Regular);
    const ClipboardItem older = tab.history.add(QStringLiteral("older"), start);
    const ClipboardItem hello = tab.history.add(QStringLiteral("hello"), start.addSecs(60));
    ClipboardView &view = tab.view();
    view.resize(560, 400);
    settle(view);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view.results()->list());
    QVERIFY(list);
    QCOMPARE(list->childCount(), 2);
    QAccessibleInterface *row = list->child(0);
    QCOMPARE(row->role(), QAccessible::Button);
    QCOMPARE(row->text(QAccessible::Name), u"Text: hello"_s);
    QCOMPARE(row->text(QAccessible::Description), u"Copies it again"_s);
    QAccessibleActionInterface *actions = row->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(u"Preview"_s));
    QVERIFY(actions->actionNames().contains(u"Delete"_s));

    tab.history.add(QStringLiteral("newest"), start.addSecs(120));
    QTRY_COMPARE(list->childCount(), 3);
    QCOMPARE(list->indexOfChild(row), 1);
    actions->doAction(u"Preview"_s);
    QCOMPARE(view.state().previewID(), hello.id);
    view.state().closePreview();
    actions->doAction(u"Delete"_s);
    QVERIFY(!tab.history.store->item(hello.id));
    QVERIFY(tab.history.store->item(older.id));
    QTRY_COMPARE(list->childCount(), 2);
    list->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(tab.history.store->item(older.id)->copyCount, 2);
}

void tst_ClipboardView::motionFollowsThePreference_data()
{
    QTest::addColumn<bool>("reduced");
    QTest::newRow("motion") << false;
    QTest::newRow("reduced motion") << true;
}

// Each change of the tab moves as it should (a transition starts and ends in the right state),
// and nothing moves when the desktop asks for less motion.
// With a compositor the panel's card is translucent: the preview paints its content and nothing
// under it, so the card shows through below the facts, also while it fades in over the list.
void tst_ClipboardView::previewLetsTheCardShowThrough()
{
    ClipboardViewFixture tab(Density::Compact);
    tab.history.fill(1, start);
    ClipboardView &view = tab.view();
    view.resize(380, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    AnimationClock clock;
    view.state().preview(view.state().list().item(0));
    clock.step(100); // half-way
    QVERIFY(view.pageFade()->isRunning());
    Screenshots::save(&view, u"motion-clipboard-preview-arriving"_s);
    // The panel is still the list's height while it shrinks to the preview's: the preview already
    // sits where it ends, under the top, rather than spread over the taller tab.
    ClipboardDetail *detail = view.detail();
    const auto placeOf = [&view](const QWidget *part) { return part->mapTo(&view, QPoint()).y(); };
    const int backMid = placeOf(detail->backButton());
    const int textMid = placeOf(detail->textView());
    const int copyMid = placeOf(detail->copyButton());
    // Between the list's footer and the preview's buttons neither look paints anything.
    QImage halfway(view.size(), QImage::Format_ARGB32_Premultiplied);
    halfway.fill(Qt::transparent);
    view.render(&halfway, QPoint(), QRegion(), QWidget::DrawChildren);
    for (int y = view.height() * 8 / 10; y < view.height() * 9 / 10; ++y) {
        for (int x = 0; x < view.width(); ++x)
            QVERIFY2(qAlpha(halfway.pixel(x, y)) == 0, qPrintable(u"%1, %2"_s.arg(x).arg(y)));
    }
    clock.step(500);
    QCOMPARE(placeOf(detail->copyButton()), copyMid); // the tall tab's rest lies below the preview
    view.resize(view.width(), view.sizeHint().height());
    QVERIFY(view.height() < 500);
    QCOMPARE(placeOf(detail->backButton()), backMid);
    QCOMPARE(placeOf(detail->textView()), textMid);
    QCOMPARE(placeOf(detail->copyButton()), copyMid);
    view.resize(view.width(), 500);
    QImage picture(detail->size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    detail->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    QCOMPARE(qAlpha(picture.pixel(detail->width() / 2, detail->height() - 60)), 0);
}

void tst_ClipboardView::motionFollowsThePreference()
{
    QFETCH(bool, reduced);
    ClipboardViewFixture tab(Density::Regular);
    tab.home.setReducesMotion(reduced);
    tab.history.fill(60, start);
    ClipboardView &view = tab.view();
    view.resize(560, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ClipboardResults *results = view.results();
    const bool moves = !reduced;

    // The list and the preview cross-fade.
    view.state().preview(view.state().list().item(0));
    QVERIFY(view.showsPreview());
    QCOMPARE(view.pageFade()->isRunning(), moves);
    QTRY_VERIFY(!view.pageFade()->isRunning());
    view.state().closePreview();
    QTRY_VERIFY(!view.showsPreview());
    QTRY_VERIFY(!view.pageFade()->isRunning());

    // The count rolls.
    tab.history.add(QStringLiteral("one more"), start.addDays(1));
    QTRY_COMPARE(results->status()->text(), u"61 items"_s);
    QCOMPARE(results->status()->isRolling(), moves);
    QTRY_VERIFY(!results->status()->isRolling());

    // The copied mark fades in on its row.
    const ClipboardItem first = view.state().list().item(0);
    view.state().copy(first, false);
    ClipboardRowDelegate *rows = results->list()->rowDelegate();
    QCOMPARE(rows->isFading(), moves);
    QTRY_COMPARE(rows->copiedMarkOpacity(first.id), 1.0);

    // The list eases to a row selected far below.
    view.state().list().fetchMore();
    const QUuid far = view.state().list().item(50).id;
    view.state().setSelection(far);
    QCOMPARE(results->list()->isScrolling(), moves);
    QTRY_VERIFY(!results->list()->isScrolling());
    const QRect row = results->list()->visualRect(results->list()->model()->index(50, 0));
    QVERIFY(results->list()->viewport()->rect().contains(row));

    // The clear question fades and grows in, and fades out.
    view.state().beginClearing(ClearRequest::all());
    QVERIFY(results->confirmation());
    auto *question = results->confirmation()->findChild<AppearTransition *>();
    QVERIFY(question);
    QCOMPARE(question->isRunning(), moves);
    QTRY_VERIFY(results->confirmation()->isVisible() && !question->isRunning());
    QPointer<ClearConfirmation> leaving = results->confirmation();
    view.state().endClearing();
    QCOMPARE(question->isRunning(), moves);
    QTRY_VERIFY(!leaving);
    QVERIFY(results->clearMenu()->isVisible());

    // The notice fades in.
    tab.preferences.setClipboardPaused(true);
    QVERIFY(view.notice()->isVisible());
    QCOMPARE(view.notice()->findChild<AppearTransition *>()->isRunning(), moves);

    // The search's clear button fades in and out, and keeps no room while hidden.
    QLineEdit *field = view.searchField()->field();
    const int wide = field->width();
    QTest::keyClicks(field, QStringLiteral("x"));
    auto *clear = view.searchField()->clearButton();
    QVERIFY(clear->isVisible());
    QCOMPARE(clear->findChild<AppearTransition *>()->isRunning(), moves);
    QTRY_VERIFY(field->width() < wide);
    QTest::mouseClick(clear, Qt::LeftButton);
    QTRY_VERIFY(clear->isHidden());
    QTRY_COMPARE(field->width(), wide);
}

// A switch from light to dark reaches every label in its tone, with no palette copied once.
void tst_ClipboardView::labelsFollowTheAppearance()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(Screenshots::lightPalette());
    ClipboardViewFixture tab(Density::Regular);
    tab.history.add(ClipboardKind::File, QStringLiteral("/home/me/report.pdf"), start);
    ClipboardView &view = tab.view();
    view.resize(560, 500);
    settle(view);
    view.state().setQuery(QStringLiteral("nothing like it"));
    QApplication::setPalette(Screenshots::darkPalette());
    QCoreApplication::processEvents();
    const QPalette &dark = view.palette();
    ClipboardResults *results = view.results();
    const auto shown = [](QLabel *label) {
        auto *toned = qobject_cast<ToneLabel *>(label);
        return toned ? toned->textColor() : label->palette().color(label->foregroundRole());
    };
    QCOMPARE(shown(results->header()), Theme::color(Theme::secondary, dark));
    QCOMPARE(shown(results->emptyTitle()), Theme::color(Theme::secondary, dark));
    QCOMPARE(shown(results->emptyMessage()), Theme::color(Theme::tertiary, dark));

    view.state().setQuery(QString());
    view.state().preview(view.state().list().item(0));
    QApplication::setPalette(Screenshots::lightPalette());
    QCoreApplication::processEvents();
    const QPalette &light = view.palette();
    int secondary = 0;
    for (QLabel *label : view.detail()->findChildren<QLabel *>()) {
        if (label->text() == u"/home/me"_s || label->text() == u"Copied"_s) {
            QCOMPARE(shown(label), Theme::color(Theme::secondary, light));
            ++secondary;
        }
    }
    QCOMPARE(secondary, 2);
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void tst_ClipboardView::screenshotsOfTheWindow_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("dark");
    QTest::newRow("1366x768-light") << QSize(560, 768 - 220) << false;
    QTest::newRow("1920x1080-dark") << QSize(560, 1080 - 220) << true;
}

void tst_ClipboardView::screenshotsOfTheWindow()
{
    VEMRA_SCREENSHOTS_ONLY();
    QApplication::setStyle(QStringLiteral("Fusion"));
    QFETCH(QSize, size);
    QFETCH(bool, dark);
    QApplication::setPalette(dark ? Screenshots::darkPalette() : Screenshots::lightPalette());
    ClipboardViewFixture tab(Density::Regular);
    fill(tab);
    tab.preferences.setClipboardPaused(true);
    ClipboardView &view = tab.view();
    view.resize(size);
    settle(view);
    Screenshots::save(&view, QStringLiteral("clipboard-window-") + QString::fromLatin1(QTest::currentDataTag()));
    // Half-way through the question's arrival, and through the cross-fade to the preview.
    view.state().beginClearing(ClearRequest::of(ClipboardPeriod::Today));
    QTest::qWait(80);
    Screenshots::save(
        &view, QStringLiteral("clipboard-window-question-mid-") + QString::fromLatin1(QTest::currentDataTag()));
    view.state().endClearing();
    QTest::qWait(300);
    view.state().preview(view.state().list().item(2));
    QTest::qWait(90);
    Screenshots::save(
        &view, QStringLiteral("clipboard-window-crossfade-mid-") + QString::fromLatin1(QTest::currentDataTag()));
    settle(view);
    Screenshots::save(
        &view, QStringLiteral("clipboard-window-preview-") + QString::fromLatin1(QTest::currentDataTag()));
}

QTEST_MAIN(tst_ClipboardView)
#include "tst_ClipboardView.moc"
