#include "Components/Controls/MotionEffect.h"
#include "Components/Controls/TintedButton.h"
#include "Models/Todos/Days.h"
#include "Screenshots.h"
#include "TestHome.h"
#include "Views/Todos/InlineEditor.h"
#include "Views/Todos/TodoCheckbox.h"
#include "Views/Todos/TodoRow.h"
#include "Views/Todos/TodoTitleText.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace {

const QDate friday(2026, 3, 6);

Todo todoOn(const std::optional<QDate> &day, bool done = false, const QString &title = u"Water the plants"_s)
{
    Todo todo(title, day, 0, QDateTime(friday, QTime(9, 0)));
    todo.isCompleted = done;
    return todo;
}

void hover(QWidget *w, bool inside)
{
    if (inside) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(w, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w, &leave);
    }
}

} // namespace

class TestTodoRow final : public QObject
{
    Q_OBJECT

    TestHome m_home;

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(u"Fusion"_s);
        QApplication::setPalette(Screenshots::lightPalette());
    }

    void moveToMenu_data()
    {
        QTest::addColumn<int>("dayOffset"); // from today; 99: undated
        QTest::addColumn<int>("disabled"); // the disabled item, -1 for none
        QTest::newRow("undated: Today") << 99 << 0;
        QTest::newRow("today: Today") << 0 << 0;
        QTest::newRow("day after tomorrow: its weekday") << 2 << 2;
        QTest::newRow("overdue: none") << -1 << -1;
        QTest::newRow("next week: none") << 9 << -1;
    }

    void moveToMenu()
    {
        QFETCH(int, dayOffset);
        QFETCH(int, disabled);
        const std::optional<QDate> day
            = dayOffset == 99 ? std::nullopt : std::optional<QDate>(friday.addDays(dayOffset));
        const QList<TodoRow::MoveTo> items = TodoRow::moveToItems(todoOn(day), friday);
        QCOMPARE(items.size(), 7);
        QStringList titles;
        for (int k = 0; k < items.size(); ++k) {
            titles.append(items.at(k).title);
            QCOMPARE(items.at(k).enabled, k != disabled);
            QCOMPARE(items.at(k).day, k == 0 ? std::nullopt : std::optional<QDate>(friday.addDays(k)));
        }
        QCOMPARE(titles,
            (QStringList {
                u"Today"_s, u"Tomorrow"_s, u"Sunday"_s, u"Monday"_s, u"Tuesday"_s, u"Wednesday"_s, u"Thursday"_s }));
    }

    void contextMenuCallsBack()
    {
        TodoRow row(todoOn(std::nullopt), Density::Compact, friday);
        QList<std::optional<QDate>> scheduled;
        QStringList calls;
        QObject::connect(
            &row, &TodoRow::scheduleRequested, &row, [&](const std::optional<QDate> &day) { scheduled.append(day); });
        QObject::connect(&row, &TodoRow::editRequested, &row, [&] { calls << u"edit"_s; });
        QObject::connect(&row, &TodoRow::toggleRequested, &row, [&] { calls << u"toggle"_s; });
        QObject::connect(&row, &TodoRow::deleteRequested, &row, [&] { calls << u"delete"_s; });
        QObject::connect(&row, &TodoRow::pickDayRequested, &row, [&] { calls << u"pick"_s; });
        std::unique_ptr<QMenu> menu(row.makeContextMenu());
        const QList<QAction *> top = menu->actions();
        QStringList texts;
        for (QAction *a : top)
            texts << (a->isSeparator() ? u"-"_s : a->text());
        QCOMPARE(texts, (QStringList { u"Edit"_s, u"Mark as Done"_s, u"Move to"_s, u"-"_s, u"Delete"_s }));
        const QList<QAction *> days = top.at(2)->menu()->actions();
        QCOMPARE(days.size(), 9);
        QVERIFY(!days.at(0)->isEnabled());
        days.at(1)->trigger();
        days.at(8)->trigger();
        for (int i : { 0, 1, 4 })
            top.at(i)->trigger();
        QCOMPARE(scheduled, (QList<std::optional<QDate>> { friday.addDays(1) }));
        QCOMPARE(calls, (QStringList { u"pick"_s, u"edit"_s, u"toggle"_s, u"delete"_s }));

        TodoRow done(todoOn(std::nullopt, true), Density::Compact, friday);
        std::unique_ptr<QMenu> doneMenu(done.makeContextMenu());
        QCOMPARE(doneMenu->actions().at(1)->text(), u"Mark as Not Done"_s);
    }

    void overdueLabel_data()
    {
        QTest::addColumn<int>("dayOffset");
        QTest::addColumn<QString>("label");
        QTest::newRow("yesterday") << -1 << u"Yesterday"_s;
        QTest::newRow("last week") << -7 << u"Fri, Feb 27"_s;
        QTest::newRow("last year") << -400 << u"Thu, Jan 30, 2025"_s;
        QTest::newRow("today") << 0 << QString();
        QTest::newRow("tomorrow") << 1 << QString();
    }

    void overdueLabel()
    {
        QFETCH(int, dayOffset);
        QFETCH(QString, label);
        TodoRow row(todoOn(friday.addDays(dayOffset)), Density::Compact, friday);
        QCOMPARE(row.titleText()->overdueLabel(), label);
        QCOMPARE(row.overdueDay().has_value(), !label.isEmpty());
        // Completed, it keeps its label.
        row.setTodo(todoOn(friday.addDays(dayOffset), true), friday);
        QCOMPARE(row.titleText()->overdueLabel(), label);
        QVERIFY(row.checkbox()->isChecked());
        QCOMPARE(row.checkbox()->toolTip(), u"Mark as not done (Space)"_s);
    }

    // Titles are wrapped without shaping them where their letters allow it (the list measures
    // thousands this way); the lines match what a text layout makes of the same title, and
    // every line but the last fits the width.
    void titlesWrapAsATextLayoutDoes_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("density");
        QTest::addColumn<int>("width");
        const int compact = int(Density::Compact);
        const int regular = int(Density::Regular);
        QTest::newRow("short") << u"Water the plants"_s << compact << 220;
        QTest::newRow("two lines, the second cut")
            << u"Call the landlord about the heating and ask for the invoice of March"_s << compact << 180;
        QTest::newRow("four lines in the window")
            << u"Call the landlord about the heating and ask for the invoice of March, then pay it before the end of the month"_s
            << regular << 150;
        QTest::newRow("a word longer than the line")
            << u"Supercalifragilisticexpialidociousandthensomemore"_s << regular << 120;
        QTest::newRow("spaces hang at the end") << u"Buy     milk      and      eggs      today"_s << regular << 90;
        QTest::newRow("a line break is a space") << u"First line\nsecond line\nthird line"_s << regular << 100;
        QTest::newRow("accents") << u"Réserver la crème brûlée pour le déjeuner à Besançon"_s << regular << 140;
        QTest::newRow("Cyrillic") << u"Позвонить бабушке и купить хлеб на завтрак"_s << regular << 130;
        QTest::newRow("shaped script") << u"اتصل بالمالك بخصوص التدفئة واطلب الفاتورة"_s << regular << 120;
    }

    void titlesWrapAsATextLayoutDoes()
    {
        QFETCH(QString, title);
        QFETCH(int, density);
        QFETCH(int, width);
        const auto d = Density(density);
        const QStringList lines = TodoTitleText::lines(title, d, width);
        QCOMPARE(TodoTitleText::lineCount(title, d, width), lines.size());

        QString text = title;
        text.replace(u'\n', u' ');
        const QFont font = Densities::font(d);
        QStringList expected;
        QTextLayout layout(text, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            expected.append(text.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        const int limit = Densities::titleLineLimit(d);
        QCOMPARE(lines.size(), qMin(expected.size(), limit));
        // Word boundaries match; inside a word too long for a line, the cut may come a letter
        // earlier than the shaped text's.
        QString joined;
        for (int i = 0; i + 1 < lines.size(); ++i) {
            if (expected.at(i).endsWith(u' '))
                QCOMPARE(lines.at(i), expected.at(i));
            else
                QVERIFY(qAbs(lines.at(i).size() - expected.at(i).size()) <= 1);
            QVERIFY(QFontMetricsF(font).horizontalAdvance(lines.at(i).trimmed()) <= width);
            joined += lines.at(i);
        }
        QVERIFY(text.startsWith(joined));
        if (expected.size() > limit)
            QVERIFY(lines.last().endsWith(u'…'));
    }

    // A title on one line keeps its row's height at every width from the one measuring names, and
    // wraps just below it: the list then measures it again only where its height may change.
    void aTitleOnOneLineFitsFromItsOwnWidth_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("density");
        QTest::addColumn<bool>("overdue");
        QTest::addColumn<bool>("wraps");
        const int compact = int(Density::Compact);
        const int regular = int(Density::Regular);
        QTest::newRow("short") << u"Water the plants"_s << compact << false << false;
        QTest::newRow("overdue, in the window") << u"Water the plants"_s << regular << true << false;
        QTest::newRow("one long word") << u"Supercalifragilisticexpialidocious"_s << compact << false << false;
        QTest::newRow("accents") << u"Réserver la crème brûlée"_s << regular << false << false;
        QTest::newRow("on two lines") << u"Call the landlord about the heating and ask for the invoice"_s << regular
                                      << false << true;
        QTest::newRow("beyond its lines")
            << u"Call the landlord about the heating and ask for the invoice of March, then pay it"_s << compact
            << false << true;
        QTest::newRow("shaped script") << u"اتصل بالمالك"_s << regular << false << true;
    }

    void aTitleOnOneLineFitsFromItsOwnWidth()
    {
        QFETCH(QString, title);
        QFETCH(int, density);
        QFETCH(bool, overdue);
        QFETCH(bool, wraps);
        const auto d = Density(density);
        const Todo todo = todoOn(overdue ? std::optional<QDate>(friday.addDays(-2)) : std::nullopt, false, title);
        int fitsFrom = -1;
        const int height = TodoRow::heightFor(todo, friday, d, 380, false, &fitsFrom);
        if (wraps) {
            QCOMPARE(fitsFrom, 0);
            return;
        }
        QVERIFY(fitsFrom > 0 && fitsFrom <= 380);
        for (int width = fitsFrom; width <= 640; width += 3)
            QCOMPARE(TodoRow::heightFor(todo, friday, d, width), height);
        QVERIFY(TodoRow::heightFor(todo, friday, d, fitsFrom - 1) > height);
    }

    // The fonts' measures are kept between titles, but not past a change of the application's
    // font: the rows are measured in the font they are drawn in.
    void measuresFollowTheApplicationFont()
    {
        const QString title = u"Call the landlord about the heating and ask for the invoice of March"_s;
        const auto expected = [&title](int width) {
            const QFont font = Densities::font(Density::Regular);
            QTextLayout layout(title, font);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            int lines = 0;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                ++lines;
            }
            layout.endLayout();
            lines = qMin(lines, Densities::titleLineLimit(Density::Regular));
            const QFontMetricsF small(Densities::font(Density::Regular, -2));
            return qCeil(lines * QFontMetricsF(font).lineSpacing() + 1 + small.lineSpacing());
        };
        const QFont original = QApplication::font();
        const int before = TodoTitleText::heightFor(title, true, Density::Regular, 200);
        QCOMPARE(before, expected(200));
        QFont other = original;
        other.setFamilies({ u"URW Bookman"_s });
        QApplication::setFont(other);
        const int changed = TodoTitleText::heightFor(title, true, Density::Regular, 200);
        const int wanted = expected(200);
        QApplication::setFont(original);
        QVERIFY(wanted != before);
        QCOMPARE(changed, wanted);
        QCOMPARE(TodoTitleText::heightFor(title, true, Density::Regular, 200), before);
    }

    void actionsShowUnderThePointerOrWhenSelected()
    {
        TodoRow row(todoOn(std::nullopt), Density::Compact, friday);
        row.resize(360, row.heightForWidth(360));
        QVERIFY(!row.editButton()); // made only when first needed
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        hover(&row, false); // the pointer may rest where the window appeared
        QVERIFY(!row.showsActions());
        hover(&row, true);
        QVERIFY(row.showsActions());
        QCOMPARE(row.editButton()->toolTip(), u"Edit (Return)"_s);
        QCOMPARE(row.deleteButton()->toolTip(), u"Delete (Delete)"_s);
        QVERIFY(row.deleteButton()->isDestructive());
        const QRect titleBefore = row.titleText()->geometry();
        hover(&row, false);
        QVERIFY(!row.showsActions());
        QCOMPARE(row.titleText()->geometry(), titleBefore); // no reflow
        row.setSelected(true);
        QVERIFY(row.showsActions());
        row.setDragging(true);
        QVERIFY(!row.showsActions());
        row.setDragging(false);
        row.setEditing(true, u"x"_s);
        QVERIFY(!row.showsActions());
        QVERIFY(row.editor());
    }

    // Hidden, the Edit and Delete pair fades and shrinks to 0.9 about its centre, over 0.14 s;
    // under the reduced-motion preference it goes at once.
    void actionsShrinkAsTheyFade_data()
    {
        QTest::addColumn<bool>("reduced");
        QTest::newRow("with motion") << false;
        QTest::newRow("reduced motion") << true;
    }

    void actionsShrinkAsTheyFade()
    {
        QFETCH(bool, reduced);
        m_home.setReducesMotion(reduced);
        TodoRow row(todoOn(std::nullopt), Density::Compact, friday);
        row.resize(360, row.heightForWidth(360));
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        hover(&row, false); // the pointer may rest where the window appeared
        row.setSelected(true);
        QWidget *pair = row.editButton()->parentWidget();
        QTRY_VERIFY(pair->isVisible() && !pair->graphicsEffect());
        row.setSelected(false);
        // The effect is deleted when its fade ends, so it is watched, not held.
        const QPointer<MotionEffect> look = qobject_cast<MotionEffect *>(pair->graphicsEffect());
        QCOMPARE(look != nullptr, !reduced);
        QCOMPARE(pair->isVisible(), !reduced);
        QVERIFY(pair->testAttribute(Qt::WA_TransparentForMouseEvents)); // no clicks while it fades
        QTRY_VERIFY(look == nullptr || look->scale() < 0.95);
        QTRY_VERIFY(!pair->isVisible() && !pair->graphicsEffect());
        m_home.setReducesMotion(false);
    }

    void clicksSelectAndDoubleClicksEdit()
    {
        TodoRow row(todoOn(std::nullopt), Density::Regular, friday);
        row.resize(420, row.heightForWidth(420));
        int selects = 0;
        int edits = 0;
        QObject::connect(&row, &TodoRow::selectRequested, &row, [&] { ++selects; });
        QObject::connect(&row, &TodoRow::editRequested, &row, [&] { ++edits; });
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        const QPoint inside(200, row.height() / 2);
        QTest::mouseClick(&row, Qt::LeftButton, Qt::NoModifier, inside);
        QCOMPARE(selects, 1);
        QTest::mouseDClick(&row, Qt::LeftButton, Qt::NoModifier, inside);
        QCOMPARE(edits, 1);
        // While editing, clicks stay with the editor.
        row.setEditing(true, u"x"_s);
        const int before = selects;
        QTest::mouseClick(&row, Qt::LeftButton, Qt::NoModifier, QPoint(5, 2));
        QTest::mouseDClick(&row, Qt::LeftButton, Qt::NoModifier, QPoint(5, 2));
        QCOMPARE(selects, before);
        QCOMPARE(edits, 1);
    }

    void longTitlesStopAtTheLineLimit_data()
    {
        QTest::addColumn<int>("density");
        QTest::addColumn<int>("lines");
        QTest::newRow("compact") << int(Density::Compact) << 2;
        QTest::newRow("regular") << int(Density::Regular) << 4;
    }

    void longTitlesStopAtTheLineLimit()
    {
        QFETCH(int, density);
        QFETCH(int, lines);
        const QString title = u"word "_s.repeated(120).trimmed();
        TodoTitleText text { Density(density) };
        text.setTitle(title);
        const QStringList shown = text.lines(200);
        QCOMPARE(shown.size(), lines);
        QVERIFY(shown.last().endsWith(QChar(0x2026)));
        text.setTitle(u"short"_s);
        QCOMPARE(text.lines(200), QStringList { u"short"_s });
    }
};

QTEST_MAIN(TestTodoRow)
#include "tst_TodoRow.moc"
