#include "ClipboardViewFixture.h"
#include "Components/Controls/IconButton.h"
#include "Components/Controls/TintedButton.h"
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
#include "Views/Clipboard/SearchField.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

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
    void previewShowsFactsAndOnlyAcceptedLinks();
    void clearMenuAsksBeforeDeleting();
    void noticeFollowsTheSwitches();
    void screenshotsOfTheWindow_data();
    void screenshotsOfTheWindow();
};

void tst_ClipboardView::newCopyKeepsSelectionAndScroll()
{
    ClipboardViewFixture tab(Density::Regular);
    tab.history.fill(80, start);
    ClipboardView &view = tab.view();
    view.resize(560, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ClipboardListView *list = view.results()->list();
    list->verticalScrollBar()->setValue(600);
    const QUuid top = topRow(view);
    QVERIFY(!top.isNull());
    view.state().setSelection(top);
    const int scrolled = list->verticalScrollBar()->value();

    tab.history.add(QStringLiteral("a new copy"), start.addDays(1));
    QTRY_COMPARE(view.state().list().rowCount(), 81);
    QCOMPARE(view.state().selection(), top);
    QCOMPARE(topRow(view), top);
    QVERIFY(list->verticalScrollBar()->value() > scrolled);

    // At the very top the new copy shows.
    list->verticalScrollBar()->setValue(0);
    tab.history.add(QStringLiteral("another"), start.addDays(2));
    QTRY_COMPARE(view.state().list().rowCount(), 82);
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
    view.state().preview(view.state().list().item(2));
    settle(view);
    Screenshots::save(
        &view, QStringLiteral("clipboard-window-preview-") + QString::fromLatin1(QTest::currentDataTag()));
}

QTEST_MAIN(tst_ClipboardView)
#include "tst_ClipboardView.moc"
