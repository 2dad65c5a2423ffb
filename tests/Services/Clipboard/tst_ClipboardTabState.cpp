#include "ClipboardHistory.h"
#include "FakeSystemClipboard.h"
#include "FixedClock.h"
#include "Services/Clipboard/ClearPrompt.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardRowText.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Shell/Surface.h"
#include "SoundLog.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime start(QDate(2026, 3, 2), QTime(9, 0));
// A selection of an entry that is not shown.
constexpr int stale = 9;

// One tab over three stored texts; rows 0, 1, 2 are "entry 3", "entry 2", "entry 1".
struct Tab
{
    explicit Tab(bool panel = true, int entries = 3)
    {
        history.fill(entries, start);
        QObject::connect(&surface, &Surface::closeRequested, &surface, [this] { ++closes; });
        QObject::connect(&surface, &Surface::expandRequested, &surface, [this] { ++expansions; });
        // A tab in use is on a surface that shows.
        surface.setVisible(true);
        state = std::make_unique<ClipboardTabState>(
            *history.store, clipboard, sounds.bank(), clock, surface, panel ? 100 : 500, panel);
        for (int i = 0; i < state->list().rowCount(); ++i)
            rows << state->list().item(i);
    }

    std::optional<QUuid> id(int row) const
    {
        if (row < 0)
            return std::nullopt;
        return row == stale ? QUuid::fromString(QStringLiteral("{00000000-0000-0000-0000-000000000009}"))
                            : rows.at(row).id;
    }

    ClipboardHistory history;
    FakeSystemClipboard clipboard;
    SoundLog sounds;
    FixedClock clock { start.addDays(1) };
    Surface surface;
    int closes = 0;
    int expansions = 0;
    std::unique_ptr<ClipboardTabState> state;
    QList<ClipboardItem> rows;
};

// Receives the links handed to the desktop.
class LinkSink : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class tst_ClipboardTabState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listKeys_data();
    void listKeys();
    void previewKeys_data();
    void previewKeys();
    void copiedMarkBelongsToItsOwnCopy();
    void copiedMarkGoesAfterItsTime();
    void failedCopyOnlyReports();
    void deletingKeepsASensibleSelection();
    void keysAndDeletionsReachRowsNotReadYet_data();
    void keysAndDeletionsReachRowsNotReadYet();
    void escapeStepsBackThenClosesOnlyThePanel();
    void pagesGrowAndTypingResetsThem();
    void hidingResets();
    void aHiddenListCatchesUpWhenShown_data();
    void aHiddenListCatchesUpWhenShown();
    void longSearchTextIsCut_data();
    void longSearchTextIsCut();
    void onlyItsOwnTabTakesTheFocus();
    void clearQuestionKeepsItsMoment();
    void onlyAcceptedLinksReachTheDesktop_data();
    void onlyAcceptedLinksReachTheDesktop();
};

void tst_ClipboardTabState::listKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("searchFocused");
    QTest::addColumn<bool>("clearing");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<QString>("effect");

    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    // clang-format off
    QTest::newRow("ctrl+c copies the selected row") << int(Qt::Key_C) << ctrl << 1 << true << false << true << 1 << u"copy 1"_s;
    QTest::newRow("shift does not count: shift+ctrl+c copies") << int(Qt::Key_C) << int(ctrl | Qt::ShiftModifier) << 1 << true << false << true << 1 << u"copy 1"_s;
    QTest::newRow("ctrl+c with nothing selected") << int(Qt::Key_C) << ctrl << -1 << true << false << false << -1 << u""_s;
    QTest::newRow("alt+ctrl+c is not ctrl+c") << int(Qt::Key_C) << int(ctrl | Qt::AltModifier) << 1 << true << false << false << 1 << u""_s;
    QTest::newRow("other keys with ctrl are left alone") << int(Qt::Key_Down) << ctrl << 1 << true << false << false << 1 << u""_s;
    QTest::newRow("clearing shown: ctrl+c still copies") << int(Qt::Key_C) << ctrl << 1 << true << true << true << 1 << u"copy 1"_s;
    QTest::newRow("clearing shown: escape closes the question") << int(Qt::Key_Escape) << none << 1 << true << true << true << 1 << u"cleared"_s;
    QTest::newRow("clearing shown: arrows are left alone") << int(Qt::Key_Down) << none << 1 << true << true << false << 1 << u""_s;
    QTest::newRow("clearing shown: return is left alone") << int(Qt::Key_Return) << none << 1 << true << true << false << 1 << u""_s;
    QTest::newRow("up with nothing selected goes to the field") << int(Qt::Key_Up) << none << -1 << true << false << false << -1 << u""_s;
    QTest::newRow("up on the first row clears the selection") << int(Qt::Key_Up) << none << 0 << true << false << true << -1 << u""_s;
    QTest::newRow("up moves up") << int(Qt::Key_Up) << none << 2 << true << false << true << 1 << u""_s;
    QTest::newRow("down with nothing selected selects the first row") << int(Qt::Key_Down) << none << -1 << true << false << true << 0 << u""_s;
    QTest::newRow("down on the last row stays") << int(Qt::Key_Down) << none << 2 << true << false << true << 2 << u""_s;
    QTest::newRow("down on a row not shown selects the first") << int(Qt::Key_Down) << none << stale << true << false << true << 0 << u""_s;
    QTest::newRow("return copies the selected row and closes") << int(Qt::Key_Return) << none << 1 << true << false << true << 1 << u"close 1"_s;
    QTest::newRow("keypad enter likewise") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 2 << false << false << true << 2 << u"close 2"_s;
    QTest::newRow("return in the search field copies the first row") << int(Qt::Key_Return) << none << -1 << true << false << true << -1 << u"close 0"_s;
    QTest::newRow("return on a row not shown, in the field, copies the first row") << int(Qt::Key_Return) << none << stale << true << false << true << stale << u"close 0"_s;
    QTest::newRow("return with neither focus nor selection") << int(Qt::Key_Return) << none << -1 << false << false << false << -1 << u""_s;
    QTest::newRow("space previews the selected row") << int(Qt::Key_Space) << none << 1 << true << false << true << 1 << u"preview 1"_s;
    QTest::newRow("space with nothing selected types") << int(Qt::Key_Space) << none << -1 << true << false << false << -1 << u""_s;
    QTest::newRow("delete selects the row that takes the place") << int(Qt::Key_Backspace) << none << 1 << true << false << true << 2 << u"delete 1"_s;
    QTest::newRow("forward delete on the last row selects the new last") << int(Qt::Key_Delete) << none << 2 << true << false << true << 1 << u"delete 2"_s;
    QTest::newRow("delete with nothing selected types") << int(Qt::Key_Backspace) << none << -1 << true << false << false << -1 << u""_s;
    QTest::newRow("escape drops the selection") << int(Qt::Key_Escape) << none << 1 << true << false << true << -1 << u""_s;
    QTest::newRow("escape with nothing selected goes to the field") << int(Qt::Key_Escape) << none << -1 << true << false << false << -1 << u""_s;
    QTest::newRow("a letter drops the selection and goes on") << int(Qt::Key_A) << none << 1 << true << false << false << -1 << u""_s;
    QTest::newRow("a shifted letter likewise") << int(Qt::Key_A) << int(Qt::ShiftModifier) << 1 << true << false << false << -1 << u""_s;
    // clang-format on
}

void tst_ClipboardTabState::listKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, selected);
    QFETCH(bool, searchFocused);
    QFETCH(bool, clearing);
    QFETCH(bool, handled);
    QFETCH(int, selectedAfter);
    QFETCH(QString, effect);

    Tab tab;
    ClipboardTabState &state = *tab.state;
    state.setSelection(tab.id(selected));
    if (clearing)
        state.beginClearing(ClearRequest::all());

    QCOMPARE(state.handleListKey(key, Qt::KeyboardModifiers(modifiers), searchFocused), handled);
    QCOMPARE(state.selection(), tab.id(selectedAfter));

    const QStringList parts = effect.split(QLatin1Char(' '));
    const QString what = parts.first();
    const int row = parts.size() > 1 ? parts.at(1).toInt() : -1;
    const bool copied = what == QStringLiteral("copy") || what == QStringLiteral("close");
    QCOMPARE(tab.clipboard.writeCount(), copied ? 1 : 0);
    if (copied)
        QCOMPARE(tab.clipboard.contents().text(), tab.rows.at(row).content);
    QCOMPARE(state.copiedID(), what == QStringLiteral("copy") ? tab.id(row) : std::nullopt);
    QCOMPARE(tab.closes, what == QStringLiteral("close") ? 1 : 0);
    QCOMPARE(state.previewID(), what == QStringLiteral("preview") ? tab.id(row) : std::nullopt);
    QCOMPARE(tab.history.store->count(), what == QStringLiteral("delete") ? 2 : 3);
    if (what == QStringLiteral("delete"))
        QVERIFY(!tab.history.store->item(tab.rows.at(row).id));
    QCOMPARE(state.clearing() != nullptr, clearing && what != QStringLiteral("cleared"));
}

void tst_ClipboardTabState::previewKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("selectsText");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<QString>("effect");

    const int ctrl = Qt::ControlModifier;
    QTest::newRow("ctrl+c copies and stays") << int(Qt::Key_C) << ctrl << false << true << u"copy"_s;
    QTest::newRow("ctrl+c with text selected copies only the text") << int(Qt::Key_C) << ctrl << true << false << u""_s;
    QTest::newRow("shift+ctrl+c copies") << int(Qt::Key_C) << int(ctrl | Qt::ShiftModifier) << false << true
                                         << u"copy"_s;
    QTest::newRow("alt+ctrl+c is left alone")
        << int(Qt::Key_C) << int(ctrl | Qt::AltModifier) << false << false << u""_s;
    QTest::newRow("control (meta) c is left alone")
        << int(Qt::Key_C) << int(Qt::MetaModifier) << false << false << u""_s;
    QTest::newRow("shift+return copies and leaves")
        << int(Qt::Key_Return) << int(Qt::ShiftModifier) << false << true << u"close"_s;
    QTest::newRow("space goes back even with text selected") << int(Qt::Key_Space) << 0 << true << true << u"back"_s;
    QTest::newRow("escape goes back") << int(Qt::Key_Escape) << 0 << false << true << u"back"_s;
    QTest::newRow("a letter is left alone") << int(Qt::Key_A) << 0 << false << false << u""_s;
}

void tst_ClipboardTabState::previewKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, selectsText);
    QFETCH(bool, handled);
    QFETCH(QString, effect);

    Tab tab;
    ClipboardTabState &state = *tab.state;
    state.preview(tab.rows.at(1));
    QCOMPARE(state.handlePreviewKey(key, Qt::KeyboardModifiers(modifiers), selectsText), handled);
    QCOMPARE(tab.clipboard.writeCount(), effect == QStringLiteral("copy") || effect == QStringLiteral("close") ? 1 : 0);
    QCOMPARE(state.copiedID(), effect == QStringLiteral("copy") ? tab.id(1) : std::nullopt);
    QCOMPARE(tab.closes, effect == QStringLiteral("close") ? 1 : 0);
    QCOMPARE(state.previewID().has_value(), effect != QStringLiteral("back"));
}

void tst_ClipboardTabState::copiedMarkBelongsToItsOwnCopy()
{
    Tab tab(false);
    ClipboardTabState &state = *tab.state;
    const ClipboardItem a = tab.rows.at(0);
    const ClipboardItem b = tab.rows.at(1);

    // A, then B within the mark's time: A's timer finds B and leaves it.
    QVERIFY(state.copy(a, false));
    QVERIFY(state.copy(b, true));
    QCOMPARE(tab.closes, 0);
    QCOMPARE(state.copiedID(), b.id);
    state.markExpired(a.id);
    QCOMPARE(state.copiedID(), b.id);
    state.markExpired(b.id);
    QCOMPARE(state.copiedID(), std::nullopt);

    // The same entry twice: the first copy's timer ends the second mark early.
    QVERIFY(state.copy(a, false));
    QVERIFY(state.copy(a, false));
    state.markExpired(a.id);
    QCOMPARE(state.copiedID(), std::nullopt);
}

void tst_ClipboardTabState::copiedMarkGoesAfterItsTime()
{
    Tab tab;
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(tab.state->copy(tab.rows.at(0), false));
    QCOMPARE(tab.state->copiedID(), tab.rows.at(0).id);
    QTRY_VERIFY_WITH_TIMEOUT(!tab.state->copiedID(), 5000);
    QVERIFY(elapsed.elapsed() >= ClipboardTabState::copiedMarkDuration - 50);
}

void tst_ClipboardTabState::failedCopyOnlyReports()
{
    Tab tab;
    tab.clipboard.setRefusesWrites(true);
    QSignalSpy failures(tab.state.get(), &ClipboardTabState::copyFailed);
    QVERIFY(!tab.state->copy(tab.rows.at(0), true));
    QCOMPARE(failures.count(), 1);
    QCOMPARE(tab.closes, 0);
    QCOMPARE(tab.state->copiedID(), std::nullopt);
    QCOMPARE(tab.history.store->item(tab.rows.at(0).id)->copyCount, 1);
}

void tst_ClipboardTabState::deletingKeepsASensibleSelection()
{
    Tab tab;
    ClipboardTabState &state = *tab.state;
    // An unselected row goes: the selection stays.
    state.setSelection(tab.id(0));
    state.deleteFromList(tab.rows.at(2));
    QCOMPARE(state.selection(), tab.id(0));
    // Each deletion pops through the tab's own sound bank.
    QCOMPARE(tab.sounds.played(), QStringList { u"pop"_s });
    // The previewed entry goes: back to the list, and the search field is asked for the focus.
    QSignalSpy focus(&state, &ClipboardTabState::searchFocusRequested);
    state.preview(tab.rows.at(1));
    state.deleteItem(tab.rows.at(1));
    QCOMPARE(state.previewID(), std::nullopt);
    QTRY_COMPARE(focus.count(), 1);
    // The only row goes: nothing is selected.
    QTRY_COMPARE(state.list().rowCount(), 1);
    state.deleteFromList(tab.rows.at(0));
    QCOMPARE(state.selection(), std::nullopt);
}

void tst_ClipboardTabState::keysAndDeletionsReachRowsNotReadYet_data()
{
    QTest::addColumn<bool>("panel");
    QTest::addColumn<int>("entries");
    QTest::newRow("the panel's page") << true << 100;
    QTest::newRow("the window's page, with more") << false << 600;
}

// Only the first rows are read with the answer: the Down arrow goes on through the page's
// rows as they are read, the count is of everything, and a deleted last row read hands the
// selection to the next one.
void tst_ClipboardTabState::keysAndDeletionsReachRowsNotReadYet()
{
    QFETCH(bool, panel);
    QFETCH(int, entries);
    const int page = panel ? 100 : 500;
    {
        Tab tab(panel, entries);
        ClipboardTabState &state = *tab.state;
        QCOMPARE(state.list().rowCount(), ClipboardListModel::firstRows);
        QCOMPARE(state.list().totalCount(), entries);
        QCOMPARE(state.list().hasMore(), entries > page);
        for (int row = 0; row < page; ++row) {
            QVERIFY(state.handleListKey(Qt::Key_Down, Qt::NoModifier, true));
            QVERIFY(state.selectedItem());
            QCOMPARE(state.selectedItem()->content, QStringLiteral("entry %1").arg(entries - row));
        }
        QVERIFY(state.handleListKey(Qt::Key_Down, Qt::NoModifier, true));
        QCOMPARE(state.selectedItem()->content, QStringLiteral("entry %1").arg(entries - page + 1));
        QCOMPARE(state.list().rowCount(), page);
        QVERIFY(!state.list().canFetchMore());
    }
    Tab tab(panel, entries);
    ClipboardTabState &state = *tab.state;
    const ClipboardItem last = tab.rows.last();
    state.setSelection(last.id);
    state.deleteFromList(last);
    QVERIFY(state.selectedItem());
    QCOMPARE(state.selectedItem()->content, QStringLiteral("entry %1").arg(entries - ClipboardListModel::firstRows));
    QTRY_COMPARE(state.list().totalCount(), entries - 1);
    QCOMPARE(state.selectedItem()->content, QStringLiteral("entry %1").arg(entries - ClipboardListModel::firstRows));
}

void tst_ClipboardTabState::escapeStepsBackThenClosesOnlyThePanel()
{
    for (const bool panel : { true, false }) {
        Tab tab(panel);
        ClipboardTabState &state = *tab.state;
        state.setQuery(QStringLiteral("entry"));
        state.setSelection(tab.id(1));
        QVERIFY(state.handleListKey(Qt::Key_Escape, Qt::NoModifier, true));
        QCOMPARE(state.selection(), std::nullopt);
        QVERIFY(!state.handleListKey(Qt::Key_Escape, Qt::NoModifier, true));
        state.escape();
        QCOMPARE(state.query(), QString());
        QCOMPARE(tab.closes, 0);
        state.escape();
        QCOMPARE(tab.closes, panel ? 1 : 0);
    }
}

void tst_ClipboardTabState::pagesGrowAndTypingResetsThem()
{
    Tab window(false);
    window.state->showMore();
    window.state->showMore();
    QCOMPARE(window.state->list().limit(), 1500);
    window.state->setSelection(window.id(0));
    window.state->setQuery(QStringLiteral("e"));
    QCOMPARE(window.state->list().limit(), 500);
    QCOMPARE(window.state->selection(), std::nullopt);

    Tab panel(true);
    panel.state->showMore();
    QCOMPARE(panel.expansions, 1);
    QCOMPARE(panel.state->list().limit(), 100);
}

void tst_ClipboardTabState::longSearchTextIsCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    const int cap = ClipboardTabState::maxQueryLength;
    QTest::newRow("5 MB") << QString(5'000'000, u'x') << QString(cap, u'x');
    QTest::newRow("at the cap") << QString(cap, u'y') << QString(cap, u'y');
    QTest::newRow("a pair across the cap stays whole")
        << QString(cap - 1, u'z') + QStringLiteral("\U0001F600") << QString(cap - 1, u'z');
}

// A pasted document is searched for its start: the list model never gets megabytes to match.
void tst_ClipboardTabState::longSearchTextIsCut()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    Tab tab(false);
    tab.state->setQuery(text);
    QCOMPARE(tab.state->query(), query);
    QCOMPARE(tab.state->list().query(), query);
}

void tst_ClipboardTabState::hidingResets()
{
    Tab tab(false);
    ClipboardTabState &state = *tab.state;
    state.setQuery(QStringLiteral("entry"));
    state.showMore();
    state.setSelection(tab.id(0));
    state.preview(tab.rows.at(0));
    state.beginClearing(ClearRequest::of(ClipboardPeriod::Today));
    tab.surface.setVisible(false);
    QCOMPARE(state.query(), QString());
    QCOMPARE(state.selection(), std::nullopt);
    QCOMPARE(state.previewID(), std::nullopt);
    QCOMPARE(state.list().limit(), 500);
    QCOMPARE(state.clearing(), nullptr);
}

void tst_ClipboardTabState::aHiddenListCatchesUpWhenShown_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("a new copy") << 0;
    QTest::newRow("an entry deleted") << 1;
    QTest::newRow("today cleared") << 2;
    QTest::newRow("everything cleared") << 3;
}

// A change of the history while the surface is hidden reads nothing for it; shown again, its
// list holds the history's first page.
void tst_ClipboardTabState::aHiddenListCatchesUpWhenShown()
{
    QFETCH(int, change);
    Tab tab(true, 5);
    tab.surface.setVisible(false);
    ClipboardStore &store = *tab.history.store;
    QSignalSpy fetched(&tab.state->list(), &ClipboardListModel::summaryChanged);
    const QDateTime now = start.addDays(1);
    switch (change) {
    case 0:
        tab.history.add(QStringLiteral("new"), now);
        break;
    case 1:
        store.deleteItems({ tab.rows.at(1) });
        break;
    default:
        store.deleteItems(change == 2 ? ClearRequest::of(ClipboardPeriod::Today) : ClearRequest::all(), start,
            ClipboardCalendar::current());
    }
    QTest::qWait(20);
    QCOMPARE(fetched.count(), 0);
    tab.surface.setVisible(true);
    QCOMPARE(fetched.count(), 1);
    QList<QUuid> expected;
    for (const ClipboardItem &item : store.items(100))
        expected << item.id;
    QCOMPARE(tab.state->list().ids(), expected);
    QCOMPARE(tab.state->list().totalCount(), store.count());
}

void tst_ClipboardTabState::onlyItsOwnTabTakesTheFocus()
{
    // A showing of the panel on another tab leaves the keys to that tab's field.
    Tab tab;
    QSignalSpy focus(tab.state.get(), &ClipboardTabState::searchFocusRequested);
    tab.surface.setTab(VemraTab::Todos);
    tab.surface.requestInputFocus();
    QCOMPARE(focus.count(), 0);
    tab.surface.setTab(VemraTab::Clipboard);
    tab.surface.requestInputFocus();
    QCOMPARE(focus.count(), 1);
}

void tst_ClipboardTabState::clearQuestionKeepsItsMoment()
{
    ClipboardHistory history;
    const QDate monday(2026, 3, 2);
    history.add(QStringLiteral("sunday"), QDateTime(monday.addDays(-1), QTime(22, 0)));
    history.add(QStringLiteral("monday morning"), QDateTime(monday, QTime(10, 0)));
    history.add(QStringLiteral("monday night"), QDateTime(monday, QTime(23, 0)));
    ClipboardCalendar calendar = ClipboardCalendar::current();

    SoundLog sounds;
    ClearPrompt prompt(*history.store, sounds.bank(), ClearRequest::of(ClipboardPeriod::Today),
        QDateTime(monday, QTime(23, 50)), calendar);
    QCOMPARE(prompt.title(), QStringLiteral("Delete 2 items copied today?"));
    QCOMPARE(prompt.message(), QStringLiteral("Monday, Mar 2"));
    QSignalSpy finished(&prompt, &ClearPrompt::finished);

    // A copy before midnight joins the count; after midnight the question still asks about Monday.
    history.add(QStringLiteral("monday late"), QDateTime(monday, QTime(23, 55)));
    history.add(QStringLiteral("tuesday"), QDateTime(monday.addDays(1), QTime(0, 5)));
    QCOMPARE(prompt.count(), 3);
    QCOMPARE(prompt.title(), QStringLiteral("Delete 3 items copied today?"));
    QCOMPARE(prompt.message(), QStringLiteral("Monday, Mar 2"));

    QVERIFY(sounds.played().isEmpty());
    // Until it closes, the question still says what was deleted, without counting the rest.
    QSignalSpy recounted(&prompt, &ClearPrompt::countChanged);
    prompt.confirm();
    QCOMPARE(recounted.count(), 0);
    QCOMPARE(prompt.title(), QStringLiteral("Delete 3 items copied today?"));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(sounds.played(), QStringList { u"pop"_s });
    QStringList left;
    for (const ClipboardItem &item : history.store->items())
        left << item.content;
    QCOMPARE(left, (QStringList { u"tuesday"_s, u"sunday"_s }));
}

void tst_ClipboardTabState::onlyAcceptedLinksReachTheDesktop_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("opens");

    QTest::newRow("https") << u"https://example.com/a"_s << true;
    QTest::newRow("www. text") << u"www.example.com"_s << true;
    QTest::newRow("mail") << u"mailto:someone@example.com"_s << true;
    QTest::newRow("ftp with a host") << u"ftp://files.example.com/x"_s << true;
    QTest::newRow("ftp without a host") << u"ftp:/x"_s << false;
    QTest::newRow("a local file") << u"file:///etc/passwd"_s << false;
    QTest::newRow("a desktop entry") << u"file:///home/u/run.desktop"_s << false;
    QTest::newRow("another scheme") << u"myapp://open?x=1"_s << false;
    QTest::newRow("script") << u"javascript:alert(1)"_s << false;
}

void tst_ClipboardTabState::onlyAcceptedLinksReachTheDesktop()
{
    QFETCH(QString, link);
    QFETCH(bool, opens);

    LinkSink sink;
    const QStringList schemes { u"https"_s, u"http"_s, u"mailto"_s, u"ftp"_s, u"file"_s, u"myapp"_s, u"javascript"_s };
    for (const QString &scheme : schemes)
        QDesktopServices::setUrlHandler(scheme, &sink, "open");
    ClipboardHistory history;
    // As an imported file may carry it: stored as a link whatever its text.
    const ClipboardItem item = history.add(ClipboardKind::Url, link, start);

    QCOMPARE(ClipboardTabState::openLink(item), opens);
    QCOMPARE(sink.opened.size(), opens ? 1 : 0);
    QCOMPARE(ClipboardRowText::actions(item).contains(ClipboardRowText::Action::OpenLink), opens);
    for (const QString &scheme : schemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

QTEST_MAIN(tst_ClipboardTabState)
#include "tst_ClipboardTabState.moc"
