#include "AnimationClock.h"
#include "App/Tray/HostWindow.h"
#include "App/Tray/TrayPanel.h"
#include "AppHarness.h"
#include "ClipboardHistory.h"
#include "Components/Controls/TintedButton.h"
#include "DrawnFrames.h"
#include "Screenshots.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Shell/Environment.h"
#include "Views/Clipboard/ClipboardDetail.h"
#include "Views/Clipboard/ClipboardListView.h"
#include "Views/Clipboard/ClipboardResults.h"
#include "Views/Clipboard/ClipboardRowDelegate.h"
#include "Views/Clipboard/ClipboardView.h"
#include "Views/Shell/ExpandedWindow.h"
#include "Views/Shell/PanelContent.h"

#include <QDir>
#include <QHoverEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QWheelEvent>

namespace {

const QDateTime morning(QDate(2026, 5, 4), QTime(8, 0));

// Counts the layout requests that reach the widgets of one window.
class LayoutRequests final : public QObject
{
public:
    explicit LayoutRequests(QWidget *window)
        : m_window(window)
    {
        qApp->installEventFilter(this);
    }
    ~LayoutRequests() override { qApp->removeEventFilter(this); }

    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == m_window)
            ++count;
        return false;
    }

private:
    QWidget *m_window;
};

// Lets every motion under way end.
void settle(AnimationClock &clock)
{
    for (int frame = 0; frame < 40; ++frame)
        clock.step(16);
}

// The application as main() starts it, with motion, its clock driven by the test.
struct Harness : AppHarness
{
    Harness()
    {
        home.setReducesMotion(false);
        facilities.launchedAtLogin = true;
        start();
    }

    ClipboardStore &store() const { return delegate->environment().clipboard; }

    ClipboardItem addText(const QString &text, int minute)
    {
        return store().record(ClipboardHistory::capture(ClipboardKind::Text, text, morning.addSecs(60 * minute)));
    }

    // An image entry with its picture and thumbnail in the store's folder.
    ClipboardItem addPicture(int minute, const QString &source = QStringLiteral("Editor"))
    {
        ClipboardCapture capture
            = ClipboardHistory::capture(ClipboardKind::Image, QString(), morning.addSecs(60 * minute), source);
        const QString name = capture.id.toString(QUuid::WithoutBraces) + QStringLiteral(".png");
        QImage picture(640, 400, QImage::Format_ARGB32);
        picture.fill(Qt::darkCyan);
        const QDir folder(store().folder());
        folder.mkpath(QStringLiteral("Images"));
        folder.mkpath(QStringLiteral("Thumbnails"));
        picture.save(folder.filePath(QStringLiteral("Images/") + name));
        picture.scaled(320, 200).save(folder.filePath(QStringLiteral("Thumbnails/") + name));
        capture.imagePath = QStringLiteral("Images/") + name;
        capture.thumbnailPath = QStringLiteral("Thumbnails/") + name;
        capture.pixelWidth = 640;
        capture.pixelHeight = 400;
        capture.mimeType = QStringLiteral("public.png");
        return store().record(capture);
    }

    // Shows the panel, or the window, on the clipboard tab.
    ClipboardView *show(bool inWindow)
    {
        if (inWindow) {
            delegate->showWindow(VemraTab::Clipboard);
            return qobject_cast<ExpandedWindow *>(delegate->window()->content())->clipboardView();
        }
        delegate->showTrayPanel(VemraTab::Clipboard);
        return delegate->trayPanel()->window()->findChild<PanelContent *>()->clipboardView();
    }

    // Shows it and lets its motions end.
    ClipboardView *showSettled(bool inWindow)
    {
        AnimationClock clock;
        ClipboardView *view = show(inWindow);
        settle(clock);
        return view;
    }
};

} // namespace

class TestClipboardSurfaces final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // An open preview costs nothing once it has settled: nothing asks for its layout again,
    // whatever it shows, in the panel and in the window.
    void openPreviewRests_data()
    {
        QTest::addColumn<bool>("inWindow");
        QTest::addColumn<QString>("shows");
        for (const bool inWindow : { false, true }) {
            const char *surface = inWindow ? "window" : "panel";
            QTest::addRow("%s, a line", surface) << inWindow << QStringLiteral("line");
            QTest::addRow("%s, a text longer than its stored head", surface) << inWindow << QStringLiteral("long");
            QTest::addRow("%s, a picture", surface) << inWindow << QStringLiteral("picture");
        }
    }

    void openPreviewRests()
    {
        QFETCH(bool, inWindow);
        QFETCH(QString, shows);
        Harness h;
        ClipboardItem item;
        if (shows == QLatin1String("picture")) {
            item = h.addPicture(1);
        } else if (shows == QLatin1String("long")) {
            QString text;
            while (text.size() < 26000)
                text += QStringLiteral("a long line of words to wrap, ");
            item = h.addText(text.left(20000), 1);
        } else {
            item = h.addText(QStringLiteral("one line"), 1);
        }
        AnimationClock clock;
        ClipboardView *view = h.show(inWindow);
        settle(clock);
        view->state().preview(item);
        settle(clock);
        ClipboardDetail *detail = view->detail();
        QVERIFY(detail->isVisible());
        if (shows == QLatin1String("picture"))
            QTRY_VERIFY(detail->picture()->isVisible());
        else
            QVERIFY(detail->textView()->isVisible());
        settle(clock);

        LayoutRequests requests(view->window());
        for (int frame = 0; frame < 120; ++frame)
            clock.step(16);
        QCOMPARE(requests.count, 0);
    }

    // The panel's first preview of a run is as tall as every later one, with nothing blank above
    // its actions: the height is worked out for the width the preview is about to get.
    void firstPreviewIsAsTallAsLaterOnes()
    {
        Harness h;
        const ClipboardItem item = h.addText(QStringLiteral("the only entry"), 1);
        AnimationClock clock;
        ClipboardView *view = h.show(false);
        settle(clock);
        QList<int> heights;
        for (int round = 0; round < 3; ++round) {
            view->state().preview(item);
            settle(clock);
            QScrollArea *scroll = view->detail()->findChild<QScrollArea *>();
            // The whole text and its facts show, and no more.
            QCOMPARE(scroll->widget()->height(), scroll->viewport()->height());
            heights << view->window()->height();
            view->state().closePreview();
            settle(clock);
        }
        QCOMPARE(heights.at(0), heights.at(1));
        QCOMPARE(heights.at(1), heights.at(2));
    }

    // A preview whose facts wrap over many lines (a long source's name) shows whole in the
    // panel, its last fact too, at every opening, after one with fewer facts as well: the
    // panel grows to it rather than scroll.
    void longFactShowsWhole_data()
    {
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("kind");
        QTest::newRow("text, a source of two lines") << 6 << int(ClipboardKind::Text);
        QTest::newRow("text, a source of five lines") << 24 << int(ClipboardKind::Text);
        QTest::newRow("picture, a source of five lines") << 24 << int(ClipboardKind::Image);
        QTest::newRow("files, a source of five lines") << 24 << int(ClipboardKind::File);
    }

    void longFactShowsWhole()
    {
        QFETCH(int, words);
        QFETCH(int, kind);
        Harness h;
        const QString source = QStringList(words, QStringLiteral("Editor")).join(u' ');
        ClipboardItem item;
        if (ClipboardKind(kind) == ClipboardKind::Image) {
            item = h.addPicture(1, source);
        } else if (ClipboardKind(kind) == ClipboardKind::File) {
            ClipboardCapture capture = ClipboardHistory::capture(ClipboardKind::File,
                QStringLiteral("/home/someone/Documents/report.pdf\n/home/someone/notes.txt"), morning.addSecs(60),
                source);
            item = h.store().record(capture);
        } else {
            item = h.store().record(ClipboardHistory::capture(
                ClipboardKind::Text, QStringLiteral("a short text"), morning.addSecs(60), source));
        }
        // One with fewer facts, shown in between: the rows it lacks are made anew each time.
        const ClipboardItem plain = h.store().record(
            ClipboardHistory::capture(ClipboardKind::Text, QStringLiteral("another text"), morning, QString()));
        AnimationClock clock;
        ClipboardView *view = h.show(false);
        settle(clock);
        for (int round = 0; round < 2; ++round) {
            view->state().preview(plain);
            settle(clock);
            view->state().closePreview();
            settle(clock);
            view->state().preview(item);
            settle(clock);
            if (ClipboardKind(kind) == ClipboardKind::Image)
                QTRY_VERIFY(view->detail()->picture()->isVisible());
            settle(clock);
            ClipboardDetail *detail = view->detail();
            QCOMPARE(detail->shownFacts().constLast().first, QStringLiteral("Size"));
            QScrollArea *scroll = detail->findChild<QScrollArea *>();
            QWidget *content = scroll->widget();
            QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
            QCOMPARE(content->height(), content->layout()->heightForWidth(content->width()));
            // The last fact lies whole within what the area shows.
            QLabel *size = nullptr;
            for (QLabel *label : content->findChildren<QLabel *>()) {
                if (label->text() == QStringLiteral("Size") && label->isVisible())
                    size = label;
            }
            QVERIFY(size);
            const QRect shown(size->mapTo(scroll->viewport(), QPoint()), size->size());
            QVERIFY2(scroll->viewport()->rect().contains(shown),
                qPrintable(QStringLiteral("%1 in %2").arg(shown.bottom()).arg(scroll->viewport()->height())));
            view->state().closePreview();
            settle(clock);
        }
    }

    // A text longer than the panel scrolls inside it, and the scrolled content ends with the
    // text and its facts, with nothing blank after them.
    void longTextScrollsToItsEnd()
    {
        Harness h;
        QString text;
        while (text.size() < 20000)
            text += QStringLiteral("words that wrap in the panel, ");
        const ClipboardItem item = h.addText(text.left(20000), 1);
        AnimationClock clock;
        ClipboardView *view = h.show(false);
        settle(clock);
        view->state().preview(item);
        settle(clock);
        QScrollArea *scroll = view->detail()->findChild<QScrollArea *>();
        QCOMPARE(scroll->height(), 380);
        QWidget *content = scroll->widget();
        QCOMPARE(content->height(), content->layout()->heightForWidth(content->width()));
        QVERIFY(content->height() > 2000);
    }

    // The row above a deleted one stays where it is, frame by frame, while the list takes the
    // deletion in (and, from the preview, while the list comes back and the panel grows to it).
    void rowAboveADeletedOneStaysPut_data()
    {
        QTest::addColumn<bool>("inWindow");
        QTest::addColumn<bool>("fromPreview");
        for (const bool inWindow : { false, true }) {
            const char *surface = inWindow ? "window" : "panel";
            QTest::addRow("%s, from the row's menu", surface) << inWindow << false;
            QTest::addRow("%s, from the preview", surface) << inWindow << true;
        }
    }

    void rowAboveADeletedOneStaysPut()
    {
        QFETCH(bool, inWindow);
        QFETCH(bool, fromPreview);
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QPainter")));
        Harness h;
        for (int minute = 1; minute <= 5; ++minute)
            h.addText(QStringLiteral("entry ") + QString::number(minute), minute);
        ClipboardView *view = h.showSettled(inWindow);
        ClipboardListView *list = view->results()->list();
        const ClipboardItem above = view->state().list().items().at(1);
        const ClipboardItem doomed = view->state().list().items().at(2);
        const auto placeOfAbove = [&] {
            const QModelIndex index = list->model()->index(view->state().list().row(above.id), 0);
            return list->visualRect(index).translated(list->viewport()->mapTo(view->window(), QPoint()));
        };
        const QRect before = placeOfAbove();
        QLabel *header = view->results()->header();
        const QPoint headerBefore = header->mapTo(view->window(), QPoint());
        // Also at each drawing while the layouts above take the shorter list in.
        DrawnFrames frames(view->window(), [&] {
            if (!list->isVisible())
                return QString(); // the preview
            const QRect place = placeOfAbove();
            const QPoint headerAt = header->mapTo(view->window(), QPoint());
            if (place == before && headerAt == headerBefore)
                return QString();
            return QStringLiteral("the row above at %1, the header at %2, not %3 and %4")
                .arg(place.y())
                .arg(headerAt.y())
                .arg(before.y())
                .arg(headerBefore.y());
        });
        AnimationClock clock;
        if (fromPreview) {
            view->state().preview(doomed);
            settle(clock);
            view->detail()->deleteButton()->click();
        } else {
            view->state().deleteFromList(doomed);
        }
        for (int frame = 0; frame < 30; ++frame) {
            clock.step(16);
            QVERIFY(list->isVisible());
            QCOMPARE(placeOfAbove(), before);
        }
        QVERIFY2(frames.failure().isEmpty(), qPrintable(frames.failure()));
        QVERIFY(frames.drawings() > 0);
        QCOMPARE(view->state().list().row(doomed.id), -1);
    }

    // The round "More" button fades in on the row the pointer is over or the keys selected, and
    // out when it leaves, over 0.12 s; at once when the desktop asks for less motion.
    void moreButtonFades_data()
    {
        QTest::addColumn<bool>("byPointer");
        QTest::addColumn<bool>("reducesMotion");
        QTest::newRow("selected by the keys") << false << false;
        QTest::newRow("under the pointer") << true << false;
        QTest::newRow("selected, less motion") << false << true;
        QTest::newRow("under the pointer, less motion") << true << true;
    }

    void moreButtonFades()
    {
        QFETCH(bool, byPointer);
        QFETCH(bool, reducesMotion);
        Harness h;
        h.home.setReducesMotion(reducesMotion);
        const ClipboardItem row = h.addText(QStringLiteral("the row"), 2);
        const ClipboardItem other = h.addText(QStringLiteral("another row"), 1);
        ClipboardView *view = h.showSettled(false);
        AnimationClock clock;
        ClipboardListView *list = view->results()->list();
        ClipboardRowDelegate *rows = list->rowDelegate();
        const auto hover = [&](QEvent::Type type, const ClipboardItem &item) {
            const QPointF at = list->visualRect(list->model()->index(view->state().list().row(item.id), 0)).center();
            QHoverEvent event(type, at, list->viewport()->mapToGlobal(at), at);
            QCoreApplication::sendEvent(list->viewport(), &event);
        };
        const auto show = [&](bool shown) {
            if (byPointer)
                hover(shown ? QEvent::HoverMove : QEvent::HoverLeave, row);
            else
                view->state().setSelection(shown ? std::optional(row.id) : std::nullopt);
        };
        // The button as drawn, over the row's own background.
        const auto button = [&] {
            const QRect rect = list->visualRect(list->model()->index(view->state().list().row(row.id), 0));
            return list->viewport()->grab(rows->moreButtonRect(rect)).toImage();
        };
        QCOMPARE(rows->moreButtonOpacity(row.id), 0.0);
        show(true);
        if (reducesMotion) {
            QCOMPARE(rows->moreButtonOpacity(row.id), 1.0);
        } else {
            const QImage hidden = button();
            clock.step(60);
            QVERIFY(rows->moreButtonOpacity(row.id) > 0.2 && rows->moreButtonOpacity(row.id) < 1);
            const QImage halfWay = button();
            clock.step(70);
            QCOMPARE(rows->moreButtonOpacity(row.id), 1.0);
            QVERIFY(halfWay != hidden);
            QVERIFY(halfWay != button());
        }
        QCOMPARE(rows->moreButtonOpacity(other.id), 0.0);

        show(false);
        if (reducesMotion) {
            QCOMPARE(rows->moreButtonOpacity(row.id), 0.0);
        } else {
            clock.step(60);
            QVERIFY(rows->moreButtonOpacity(row.id) > 0 && rows->moreButtonOpacity(row.id) < 0.8);
            clock.step(70);
            QCOMPARE(rows->moreButtonOpacity(row.id), 0.0);
        }
    }

    // The pointer left with the panel: the row it was over shows no button when the panel opens
    // again, until the pointer comes back.
    void moreButtonGoesWithThePanel()
    {
        Harness h;
        const ClipboardItem row = h.addText(QStringLiteral("the row"), 1);
        ClipboardView *view = h.showSettled(false);
        ClipboardListView *list = view->results()->list();
        const QPointF at = list->visualRect(list->model()->index(0, 0)).center();
        QHoverEvent hover(QEvent::HoverMove, at, list->viewport()->mapToGlobal(at), at);
        QCoreApplication::sendEvent(list->viewport(), &hover);
        {
            AnimationClock clock;
            settle(clock);
            QCOMPARE(list->rowDelegate()->moreButtonOpacity(row.id), 1.0);
            h.delegate->closeTrayPanel();
            settle(clock);
        }
        view = h.showSettled(false);
        QCOMPARE(list->rowDelegate()->moreButtonOpacity(row.id), 0.0);
    }

    // The row under a still pointer is the hovered one, with its fill and its "More" button,
    // after the rows scrolled, a new copy arrived above it or the row it was over went away.
    void stillPointerHoversTheRowUnderIt_data()
    {
        QTest::addColumn<bool>("inWindow");
        QTest::addColumn<QString>("change");
        for (const bool inWindow : { false, true }) {
            const char *surface = inWindow ? "window" : "panel";
            for (const char *change : { "wheel", "copy", "deletion" })
                QTest::addRow("%s, %s", surface, change) << inWindow << QString::fromLatin1(change);
        }
    }

    void stillPointerHoversTheRowUnderIt()
    {
        QFETCH(bool, inWindow);
        QFETCH(QString, change);
        Harness h;
        for (int minute = 1; minute <= 40; ++minute)
            h.addText(QStringLiteral("entry ") + QString::number(minute), minute);
        ClipboardView *view = h.showSettled(inWindow);
        ClipboardListView *list = view->results()->list();
        ClipboardRowDelegate *rows = list->rowDelegate();
        const ClipboardListModel &model = view->state().list();
        const auto rectOf = [&](const QUuid &id) { return list->visualRect(list->model()->index(model.row(id), 0)); };
        // Near the bottom of the second row: a wheel's step takes the next row under it.
        const QUuid first = model.items().at(1).id;
        const QPoint at(rectOf(first).center().x(), rectOf(first).bottom() - 3);
        QHoverEvent hover(QEvent::HoverMove, at, list->viewport()->mapToGlobal(at), at);
        QCoreApplication::sendEvent(list->viewport(), &hover);
        AnimationClock clock;
        settle(clock);
        QCOMPARE(rows->moreButtonOpacity(first), 1.0);

        if (change == QLatin1String("wheel")) {
            QWheelEvent wheel(QPointF(at), QPointF(list->viewport()->mapToGlobal(at)), QPoint(), QPoint(0, -120),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(list->viewport(), &wheel);
            QVERIFY(list->verticalScrollBar()->value() > 0);
        } else if (change == QLatin1String("copy")) {
            h.addText(QStringLiteral("a new copy"), 50);
        } else {
            view->state().deleteFromList(model.items().at(1));
        }
        settle(clock);

        const QModelIndex under = list->indexAt(at);
        QVERIFY(under.isValid());
        const QUuid now = model.item(under.row()).id;
        QVERIFY(now != first);
        QCOMPARE(rows->moreButtonOpacity(now), 1.0);
        if (model.row(first) >= 0)
            QCOMPARE(rows->moreButtonOpacity(first), 0.0);
        // The fill is on the same row: beside the title, it differs from an untouched row's.
        const QImage shown = list->viewport()->grab().toImage();
        const auto fillOf
            = [&](const QUuid &id) { return shown.pixelColor(rectOf(id).left() + 4, rectOf(id).center().y()); };
        const QUuid untouched = model.items().at(model.row(now) + 2).id;
        QVERIFY(fillOf(now) != fillOf(untouched));
        if (model.row(first) >= 0 && list->viewport()->rect().intersects(rectOf(first)))
            QCOMPARE(fillOf(first), fillOf(untouched));
    }

    void screenshotsOfThePanelsPreview()
    {
        VEMRA_SCREENSHOTS_ONLY();
        Harness h;
        h.addPicture(1);
        h.addText(QStringLiteral("https://example.org/a/path"), 2);
        const ClipboardItem item = h.addText(QStringLiteral("Meet at the station at nine, then the museum.\n"
                                                            "Bring the tickets and the umbrella."),
            3);
        AnimationClock clock;
        ClipboardView *view = h.show(false);
        settle(clock);
        Screenshots::save(view->window(), QStringLiteral("clipboard-panel-list"));
        view->state().preview(item);
        settle(clock);
        Screenshots::save(view->window(), QStringLiteral("clipboard-panel-preview"));
    }
};

QTEST_MAIN(TestClipboardSurfaces)
#include "tst_ClipboardSurfaces.moc"
