#include "Components/Controls/RollingLabel.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Theme/Symbols.h"
#include "Views/Todos/MonthCalendar.h"
#include "Views/Todos/TodoCheckbox.h"

#include "Screenshots.h"
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Keeps a rendering under the build folder for review by eye.
void keep(QWidget *widget, const QString &name)
{
    Screenshots::save(widget, name);
}

QAbstractButton *cell(MonthCalendar &calendar, const QDate &day)
{
    return calendar.findChild<QAbstractButton *>(u"day-"_s + day.toString(Qt::ISODate));
}

// How many pixels of a widget the keyboard's focus ring changes.
int ringPixels(QWidget *widget)
{
    widget->window()->setAttribute(Qt::WA_KeyboardFocusChange, false);
    const QImage plain = widget->grab().toImage();
    widget->window()->setAttribute(Qt::WA_KeyboardFocusChange, true);
    const QImage ringed = widget->grab().toImage();
    int changed = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            changed += plain.pixel(x, y) != ringed.pixel(x, y);
    return changed;
}

QList<QDate> visibleDays(MonthCalendar &calendar)
{
    QList<QDate> days;
    for (const QList<QDate> &week : calendar.weeks())
        days.append(week);
    return days;
}

} // namespace

class TestTodoWidgets final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        Symbols::useIconTheme();
        QApplication::setPalette(Screenshots::lightPalette());
    }

    void checkboxReportsClicksButKeepsItsState()
    {
        TodoCheckbox box(16);
        QCOMPARE(box.sizeHint(), QSize(24, 24));
        box.resize(box.sizeHint());
        QCOMPARE(box.boxRect(), QRectF(4, 4, 16, 16));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QSignalSpy clicks(&box, &QAbstractButton::clicked);

        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(12, 12));
        QCOMPARE(clicks.count(), 1);
        QVERIFY(!box.isChecked());
        // The square's corner counts, the shadow margin around it does not.
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(4, 4));
        QCOMPARE(clicks.count(), 2);
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(clicks.count(), 2);

        box.setChecked(true);
        QVERIFY(box.isChecked());
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(12, 12));
        QVERIFY(box.isChecked());
        QCOMPARE(clicks.count(), 3);
    }

    void checkboxDrawsItsState()
    {
        TodoCheckbox open(18);
        TodoCheckbox done(18);
        done.setChecked(true); // not on screen yet: drawn checked at once
        const QColor accent = Screenshots::lightPalette().color(QPalette::Highlight);
        const QImage openImage = open.grab().toImage();
        const QImage doneImage = done.grab().toImage();
        keep(&done, u"TodoCheckbox-checked"_s);
        // Near the top-left inside the box (clear of the mark): grey wash versus the accent.
        const QColor openFill = openImage.pixelColor(9, 9);
        const QColor doneFill = doneImage.pixelColor(9, 9);
        QVERIFY2(qAbs(openFill.red() - openFill.blue()) < 8, qPrintable(openFill.name(QColor::HexArgb)));
        QVERIFY2(qAbs(doneFill.blue() - accent.blue()) < 40 && doneFill.red() < 120,
            qPrintable(doneFill.name(QColor::HexArgb)));
        // The check mark's bottom vertex is white.
        const QRectF inner = done.boxRect().adjusted(18 * 0.26, 18 * 0.26, -18 * 0.26, -18 * 0.26);
        const QPoint vertex
            = QPointF(inner.left() + 0.36 * inner.width(), inner.bottom() - 0.08 * inner.height() - 0.5).toPoint();
        QVERIFY(doneImage.pixelColor(vertex).lightness() > 200);
        QVERIFY(openImage.pixelColor(vertex).lightness() < 245);
        QVERIFY(qAbs(openImage.pixelColor(vertex).red() - openImage.pixelColor(vertex).blue()) < 8);
    }

    void calendarOfTodaysMonth()
    {
        MonthCalendar calendar(Density::Compact);
        const QDate today(2026, 3, 28);
        calendar.setToday(today);
        calendar.setSelection(today);
        calendar.setMarks({ { today, true }, { QDate(2026, 3, 30), false }, { QDate(2026, 3, 20), true } });
        calendar.resize(calendar.sizeHint().expandedTo(QSize(260, 0)));
        keep(&calendar, u"MonthCalendar-compact"_s);

        QCOMPARE(calendar.title(), u"March 2026"_s);
        QCOMPARE(calendar.findChild<RollingLabel *>(u"monthTitle"_s)->text(), u"March 2026"_s);
        QCOMPARE(calendar.weeks().size(), 3);
        QCOMPARE(visibleDays(calendar).first(), QDate(2026, 3, 22));
        QCOMPARE(visibleDays(calendar).last(), QDate(2026, 4, 11));
        QVERIFY(!calendar.findChild<TintedButton *>(u"chevron.left"_s)->isEnabled());

        QCOMPARE(cell(calendar, today)->accessibleDescription(), u"Has todos"_s);
        QCOMPARE(cell(calendar, QDate(2026, 3, 30))->accessibleDescription(), u"All done"_s);
        QCOMPARE(cell(calendar, QDate(2026, 3, 31))->accessibleDescription(), QString());
        QCOMPARE(cell(calendar, today)->accessibleName(), u"Saturday, March 28, 2026"_s);
        QVERIFY(!cell(calendar, QDate(2026, 3, 20))); // its row is not shown
    }

    void calendarPicksOnlyDaysFromToday()
    {
        MonthCalendar calendar(Density::Regular);
        const QDate today(2026, 3, 25);
        calendar.setToday(today);
        calendar.setSelection(today);
        calendar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&calendar));
        QSignalSpy picks(&calendar, &MonthCalendar::picked);
        calendar.setMarks({ { QDate(2026, 3, 27), false }, { QDate(2026, 4, 2), true } });
        keep(&calendar, u"MonthCalendar-regular"_s);

        QAbstractButton *past = cell(calendar, QDate(2026, 3, 22));
        QVERIFY(!past->isEnabled());
        QTest::mouseClick(past, Qt::LeftButton);
        QCOMPARE(picks.count(), 0);
        QTest::mouseClick(cell(calendar, today), Qt::LeftButton);
        QTest::mouseClick(cell(calendar, QDate(2026, 4, 2)), Qt::LeftButton);
        QCOMPARE(picks.count(), 2);
        QCOMPARE(picks.at(0).at(0).toDate(), today);
        QCOMPARE(picks.at(1).at(0).toDate(), QDate(2026, 4, 2));
        // A pick changes nothing by itself.
        QCOMPARE(calendar.selection(), today);
    }

    void calendarSteppingMonths()
    {
        MonthCalendar calendar(Density::Compact);
        const QDate today(2026, 12, 10);
        calendar.setToday(today);
        calendar.setSelection(today);
        auto *previous = calendar.findChild<TintedButton *>(u"chevron.left"_s);
        auto *next = calendar.findChild<TintedButton *>(u"chevron.right"_s);
        QCOMPARE(previous->toolTip(), u"Previous month"_s);
        QCOMPARE(next->accessibleName(), u"Next month"_s);

        next->click();
        QCOMPARE(calendar.title(), u"January 2027"_s);
        QCOMPARE(calendar.weeks().size(), 6);
        QVERIFY(previous->isEnabled());
        // A leading day of the previous month is enabled when it is not past.
        QVERIFY(cell(calendar, QDate(2026, 12, 28))->isEnabled());
        previous->click();
        QCOMPARE(calendar.title(), u"December 2026"_s);
        QVERIFY(!previous->isEnabled());
        previous->click();
        QCOMPARE(calendar.monthOffset(), 0);

        next->click();
        next->click();
        QCOMPARE(calendar.monthOffset(), 2);
        calendar.setSelection(QDate(2026, 12, 24));
        QCOMPARE(calendar.monthOffset(), 0);
        QCOMPARE(calendar.title(), u"December 2026"_s);
        // A new today keeps the offset.
        next->click();
        calendar.setToday(QDate(2026, 12, 11));
        QCOMPARE(calendar.monthOffset(), 1);
    }

    // The grid is one Tab stop after the month arrows. The arrows move its current day, a day
    // or a week, into the next month and back but never before today; Space, Return and Enter
    // pick it as a click does, once per press; its cell alone wears the focus ring.
    void calendarGridFromTheKeyboard_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << Screenshots::lightPalette();
        QTest::newRow("dark") << Screenshots::darkPalette();
    }

    void calendarGridFromTheKeyboard()
    {
        QFETCH(QPalette, palette);
        MonthCalendar calendar(Density::Compact);
        calendar.setPalette(palette);
        calendar.setAutoFillBackground(true);
        const QDate today(2026, 12, 10);
        calendar.setToday(today);
        calendar.setSelection(today);
        calendar.resize(calendar.sizeHint().expandedTo(QSize(260, 0)));
        calendar.show();
        calendar.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&calendar));
        QSignalSpy picks(&calendar, &MonthCalendar::picked);
        auto *next = calendar.findChild<TintedButton *>(u"chevron.right"_s);
        QWidget *grid = calendar.dayGrid();

        next->setFocus(Qt::TabFocusReason);
        QTest::keyClick(next, Qt::Key_Tab);
        QVERIFY(grid->hasFocus());
        QCOMPARE(calendar.currentDay(), today);
        QVERIFY(ringPixels(cell(calendar, today)) > 40);
        QCOMPARE(ringPixels(cell(calendar, today.addDays(1))), 0);

        const auto walk = [&](Qt::Key key, const QDate &expected, const QString &title) {
            QTest::keyClick(grid, key);
            QCOMPARE(calendar.currentDay(), expected);
            QCOMPARE(calendar.title(), title);
            QVERIFY(grid->hasFocus());
        };
        const QString december = u"December 2026"_s, january = u"January 2027"_s;
        walk(Qt::Key_Left, today, december);
        walk(Qt::Key_Up, today, december);
        walk(Qt::Key_Right, QDate(2026, 12, 11), december);
        walk(Qt::Key_Down, QDate(2026, 12, 18), december);
        walk(Qt::Key_Down, QDate(2026, 12, 25), december);
        walk(Qt::Key_Down, QDate(2027, 1, 1), january);
        QVERIFY(calendar.findChild<TintedButton *>(u"chevron.left"_s)->isEnabled());
        walk(Qt::Key_Left, QDate(2026, 12, 31), december);
        walk(Qt::Key_Right, QDate(2027, 1, 1), january);
        walk(Qt::Key_Up, QDate(2026, 12, 25), december);
        QCOMPARE(ringPixels(cell(calendar, today)), 0);
        QVERIFY(ringPixels(cell(calendar, QDate(2026, 12, 25))) > 40);

        QTest::keyClick(grid, Qt::Key_Space);
        QTest::keyClick(grid, Qt::Key_Return);
        QTest::keyClick(grid, Qt::Key_Enter, Qt::KeypadModifier);
        // A held key picks once.
        QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u" "_s, true);
        QApplication::sendEvent(grid, &repeated);
        QCOMPARE(picks.count(), 3);
        for (const QList<QVariant> &pick : picks)
            QCOMPARE(pick.at(0).toDate(), QDate(2026, 12, 25));
        // Keys with a modifier are not the grid's.
        QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(calendar.currentDay(), QDate(2026, 12, 25));

        // A month stepped with its arrow brings the current day into that month; the day the
        // host selects next is where the keyboard goes on from.
        next->click();
        QCOMPARE(calendar.currentDay(), QDate(2027, 1, 1));
        calendar.setSelection(QDate(2027, 2, 3));
        QCOMPARE(calendar.currentDay(), QDate(2027, 2, 3));
        // Leaving the grid takes the ring away.
        next->setFocus(Qt::BacktabFocusReason);
        QCOMPARE(ringPixels(cell(calendar, QDate(2027, 2, 3))), 0);
    }
};

QTEST_MAIN(TestTodoWidgets)
#include "tst_TodoWidgets.moc"
