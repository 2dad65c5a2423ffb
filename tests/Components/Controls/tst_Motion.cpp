#include "AnimationClock.h"
#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/CrossFade.h"
#include "Components/Controls/MotionEffect.h"
#include "Components/Controls/RollingLabel.h"
#include "Components/Theme/Transition.h"
#include "Screenshots.h"
#include "TestHome.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A shown window with a card above a line of text, as a view would lay them out.
struct Column
{
    QWidget window;
    QLabel *card = new QLabel(QStringLiteral("card"));
    QLabel *below = new QLabel(QStringLiteral("below"));

    explicit Column(bool cardShown)
    {
        auto *layout = new QVBoxLayout(&window);
        card->setFixedHeight(40);
        layout->addWidget(card);
        layout->addWidget(below);
        layout->addStretch();
        card->setVisible(cardShown);
        window.resize(200, 200);
        window.show();
        layout->activate();
    }
};

MotionEffect *effectOf(QWidget *widget)
{
    return qobject_cast<MotionEffect *>(widget->graphicsEffect());
}

void addMotionRows()
{
    QTest::addColumn<bool>("reduced");
    QTest::addColumn<bool>("onScreen");
    QTest::newRow("moves") << false << true;
    QTest::newRow("reduced motion: at once") << true << true;
    QTest::newRow("off screen: at once") << false << false;
}

} // namespace

class TestMotion final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_home.setReducesMotion(false); }

    void appear_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("slidesIn");
        QTest::addColumn<bool>("slidesOut");
        QTest::addColumn<qreal>("scaleFrom");
        QTest::newRow("fade in") << true << false << false << 1.0;
        QTest::newRow("slide in from the top") << true << true << false << 1.0;
        QTest::newRow("grow from 0.97") << true << false << false << 0.97;
        QTest::newRow("fade out") << false << false << false << 1.0;
        QTest::newRow("fade out, no slide on the way out") << false << true << false << 1.0;
        QTest::newRow("slide back up on the way out") << false << true << true << 1.0;
        QTest::newRow("shrink to 0.98") << false << false << false << 0.98;
    }

    void appear()
    {
        QFETCH(bool, shown);
        QFETCH(bool, slidesIn);
        QFETCH(bool, slidesOut);
        QFETCH(qreal, scaleFrom);
        AnimationClock clock;
        Column column(!shown);
        auto *transition = new AppearTransition(
            column.card, { .durationMs = 400, .slidesIn = slidesIn, .slidesOut = slidesOut, .scaleFrom = scaleFrom });
        QSignalSpy finished(transition, &AppearTransition::finished);
        transition->setShown(shown);

        QVERIFY(transition->isRunning());
        QVERIFY(column.card->isVisible()); // visible while it moves either way
        MotionEffect *effect = effectOf(column.card);
        QVERIFY(effect != nullptr);
        clock.step(200);
        QVERIFY(transition->progress() > 0.2 && transition->progress() < 0.8);
        QVERIFY(effect->opacity() < 1);
        QCOMPARE(effect->offsetY() < 0, shown ? slidesIn : slidesOut);
        QCOMPARE(effect->scale() < 1, scaleFrom < 1);
        QVERIFY(effect->scale() >= scaleFrom);
        Screenshots::save(
            &column.window, QStringLiteral("motion-appear-") + QString::fromLatin1(QTest::currentDataTag()));

        clock.step(200);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(column.card->isVisible(), shown);
        QCOMPARE(column.card->graphicsEffect(), nullptr); // nothing renders off screen at rest
        QVERIFY(!transition->isRunning());
    }

    // Shown, hidden and shown again: each change takes its whole time, not only the first.
    void appearRunsEveryChange_data() { addMotionRows(); }
    void appearRunsEveryChange()
    {
        QFETCH(bool, reduced);
        QFETCH(bool, onScreen);
        m_home.setReducesMotion(reduced);
        AnimationClock clock;
        Column column(false);
        if (!onScreen)
            column.window.hide();
        auto *transition = new AppearTransition(column.card, { .durationMs = 200, .slidesIn = true });
        QSignalSpy finished(transition, &AppearTransition::finished);
        const bool moves = onScreen && !reduced;
        for (const bool shown : { true, false, true }) {
            transition->setShown(shown);
            QCOMPARE(transition->isRunning(), moves);
            clock.step(100);
            if (moves)
                QVERIFY2(transition->progress() > 0 && transition->progress() < 1, qPrintable(QString::number(shown)));
            else
                QCOMPARE(transition->progress(), shown ? 1.0 : 0.0);
            clock.step(100);
            QVERIFY(!transition->isRunning());
            QCOMPARE(transition->progress(), shown ? 1.0 : 0.0);
            QCOMPARE(column.card->isHidden(), !shown);
        }
        QCOMPARE(finished.size(), 3);
    }

    void transitionRunsEveryChange_data() { addMotionRows(); }
    void transitionRunsEveryChange()
    {
        QFETCH(bool, reduced);
        QFETCH(bool, onScreen);
        m_home.setReducesMotion(reduced);
        AnimationClock clock;
        QWidget control;
        if (onScreen)
            control.show();
        auto *transition = new Transition(&control, 200);
        const bool moves = onScreen && !reduced;
        for (const bool on : { true, false, true }) {
            transition->setOn(on);
            QCOMPARE(transition->isOn(), on);
            clock.step(100);
            if (moves)
                QVERIFY2(transition->value() > 0 && transition->value() < 1, qPrintable(QString::number(on)));
            else
                QCOMPARE(transition->value(), on ? 1.0 : 0.0);
            clock.step(100);
            QCOMPARE(transition->value(), on ? 1.0 : 0.0);
        }
    }

    void disappearingGivesUpOrKeepsSpace_data()
    {
        QTest::addColumn<bool>("keepsSpace");
        QTest::newRow("gives up its space") << false;
        QTest::newRow("keeps its space") << true;
    }

    void disappearingGivesUpOrKeepsSpace()
    {
        QFETCH(bool, keepsSpace);
        Column column(true);
        const int belowTop = column.below->y();
        auto *transition = new AppearTransition(column.card, { .durationMs = 60, .keepsSpace = keepsSpace });
        QSignalSpy finished(transition, &AppearTransition::finished);
        transition->setShown(false);
        QCoreApplication::processEvents();
        QCOMPARE(column.below->y(), belowTop); // nothing moves while it fades
        QVERIFY(finished.wait(1000));
        QVERIFY(column.card->isHidden());
        column.window.layout()->activate();
        QCOMPARE(column.below->y() == belowTop, keepsSpace);
    }

    void changeOfMindTurnsBack()
    {
        Column column(false);
        auto *transition = new AppearTransition(column.card, { .durationMs = 200 });
        QSignalSpy finished(transition, &AppearTransition::finished);
        transition->setShown(true);
        QTRY_VERIFY(transition->progress() > 0.1);
        transition->setShown(false);
        transition->setShown(false); // asked twice: still one change
        QVERIFY(finished.wait(1000));
        QCOMPARE(finished.size(), 1);
        QVERIFY(column.card->isHidden());
        QCOMPARE(transition->progress(), 0.0);
    }

    void nothingMovesUnderReducedMotionOrOffScreen_data()
    {
        QTest::addColumn<bool>("reduced");
        QTest::addColumn<bool>("onScreen");
        QTest::newRow("reduced motion") << true << true;
        QTest::newRow("window not shown") << false << false;
    }

    void nothingMovesUnderReducedMotionOrOffScreen()
    {
        QFETCH(bool, reduced);
        QFETCH(bool, onScreen);
        m_home.setReducesMotion(reduced);
        Column column(false);
        if (!onScreen)
            column.window.hide();

        auto *appear = new AppearTransition(column.card, { .durationMs = 200, .slidesIn = true, .scaleFrom = 0.97 });
        appear->setShown(true);
        QVERIFY(!appear->isRunning());
        QVERIFY(!column.card->isHidden());
        QCOMPARE(column.card->graphicsEffect(), nullptr);

        auto *count = new RollingLabel(Theme::secondary, &column.window);
        count->setText(QStringLiteral("1 item"));
        count->setText(QStringLiteral("2 items"));
        QVERIFY(!count->isRolling());
        QCOMPARE(count->arriving(), QString());

        QStackedWidget stack(&column.window);
        auto *first = new QLabel(QStringLiteral("first"));
        auto *second = new QLabel(QStringLiteral("second"));
        stack.addWidget(first);
        stack.addWidget(second);
        stack.show();
        auto *fade = new CrossFade(&stack, 200);
        fade->switchTo(&stack, second);
        QVERIFY(!fade->isRunning());
        QCOMPARE(stack.currentWidget(), second);
        QCOMPARE(second->graphicsEffect(), nullptr);
    }

    void rollsOnlyChangedDigits_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("upLeaving");
        QTest::addColumn<QString>("upArriving");
        QTest::addColumn<QString>("downLeaving");
        QTest::addColumn<QString>("downArriving");
        QTest::newRow("one more") << "41 items"
                                  << "42 items"
                                  << "1"
                                  << "2"
                                  << ""
                                  << "";
        QTest::newRow("one less, across a ten") << "40 items"
                                                << "39 items"
                                                << ""
                                                << ""
                                                << "40"
                                                << "39";
        QTest::newRow("a digit more") << "9 items"
                                      << "10 items"
                                      << "9"
                                      << "10"
                                      << ""
                                      << "";
        QTest::newRow("two counts, opposite ways") << "2 remaining · 1 completed"
                                                   << "1 remaining · 2 completed"
                                                   << "1"
                                                   << "2"
                                                   << "2"
                                                   << "1";
        QTest::newRow("other wording rolls whole") << "Saved"
                                                   << "1 remaining"
                                                   << "Saved"
                                                   << "1 remaining"
                                                   << ""
                                                   << "";
    }

    void rollsOnlyChangedDigits()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, upLeaving);
        QFETCH(QString, upArriving);
        QFETCH(QString, downLeaving);
        QFETCH(QString, downArriving);
        QWidget window;
        auto *label = new RollingLabel(Theme::secondary, &window);
        label->setPixelFont(12);
        label->setDuration(60);
        label->setText(from);
        QVERIFY(!label->isRolling()); // the first text just appears
        window.show();
        label->setText(to);
        QCOMPARE(label->text(), to);
        QVERIFY(label->isRolling());
        QCOMPARE(label->leaving(1), upLeaving);
        QCOMPARE(label->arriving(1), upArriving);
        QCOMPARE(label->leaving(-1), downLeaving);
        QCOMPARE(label->arriving(-1), downArriving);
        QTRY_VERIFY(!label->isRolling());
        QCOMPARE(label->leaving(), QString());
        QCOMPARE(label->arriving(), QString());
    }

    void oneWayRoll_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("a title counting up, stepped back") << 1 << "April 2026"
                                                           << "March 2026";
        QTest::newRow("a title counting up, stepped on to a shorter one") << 1 << "March 2026"
                                                                          << "April 2026";
        QTest::newRow("a count, always down") << -1 << "4 items"
                                              << "5 items";
    }

    void oneWayRoll()
    {
        QFETCH(int, direction);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QWidget window;
        auto *label = new RollingLabel(Theme::primary, &window);
        label->setDirection(direction);
        label->setText(from);
        window.show();
        label->setText(to);
        QVERIFY(!label->arriving(direction).isEmpty());
        QCOMPARE(label->arriving(-direction), QString());
        QCOMPARE(label->leaving(-direction), QString());
        // Room for both texts while they pass each other, then for the new one alone.
        RollingLabel alone(Theme::primary);
        for (const QString &text : { from, to }) {
            alone.setText(text);
            QVERIFY(label->sizeHint().width() >= alone.sizeHint().width());
        }
        QTRY_VERIFY(!label->isRolling());
        QCOMPARE(label->sizeHint().width(), alone.sizeHint().width());
    }

    void crossFadeOfAWidgetsOwnChange()
    {
        QWidget window;
        auto *grid = new QLabel(QStringLiteral("March"), &window);
        window.resize(120, 60);
        window.show();
        auto *fade = new CrossFade(&window, 80);
        fade->capture(grid);
        grid->setText(QStringLiteral("April"));
        fade->play(grid);
        QVERIFY(fade->isRunning());
        QVERIFY(grid->graphicsEffect() != nullptr);
        QCOMPARE(window.findChildren<QLabel *>().size(), 2); // the still above the grid
        QTRY_VERIFY(!fade->isRunning());
        QCOMPARE(window.findChildren<QLabel *>().size(), 1);
        QCOMPARE(grid->graphicsEffect(), nullptr);

        // Captured but not played (nothing changed after all): nothing is left behind at the next.
        fade->capture(grid);
        fade->capture(grid);
        QCOMPARE(window.findChildren<QLabel *>().size(), 2);
    }

    void digitsTakeEqualWidths()
    {
        RollingLabel label;
        // Any face whose own digits differ in width, as many desktop faces' do.
        QFont face;
        face.setPixelSize(13);
        for (const QString &family : QFontDatabase::families()) {
            face.setFamily(family);
            const QFontMetricsF metrics(face);
            if (metrics.horizontalAdvance(QLatin1Char('1')) != metrics.horizontalAdvance(QLatin1Char('8')))
                break;
            face.setFamily({});
        }
        if (face.family().isEmpty())
            QSKIP("no face with proportional digits here");
        label.setFont(face);
        label.setText(QStringLiteral("111 remaining"));
        const int ones = label.sizeHint().width();
        label.setText(QStringLiteral("808 remaining"));
        QCOMPARE(label.sizeHint().width(), ones);
    }

    void crossFadeShowsNewPageAtOnceAndCleansUp()
    {
        QStackedWidget stack;
        auto *list = new QLabel(QStringLiteral("list"));
        auto *preview = new QLabel(QStringLiteral("preview"));
        auto *third = new QLabel(QStringLiteral("third"));
        for (QLabel *page : { list, preview, third })
            stack.addWidget(page);
        stack.resize(160, 80);
        stack.show();
        auto *fade = new CrossFade(&stack, 100);

        fade->switchTo(&stack, preview);
        QCOMPARE(stack.currentWidget(), preview); // live and taking input at once
        QVERIFY(fade->isRunning());
        QVERIFY(preview->graphicsEffect() != nullptr);
        // A second switch before the first ends: one cover, the latest page.
        fade->switchTo(&stack, third);
        QCOMPARE(stack.currentWidget(), third);
        QCOMPARE(preview->graphicsEffect(), nullptr);
        const auto covers = [&stack, &list, &preview, &third] {
            qsizetype n = 0;
            for (QLabel *label : stack.findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
                n += (label != list && label != preview && label != third) ? 1 : 0;
            return n;
        };
        QCOMPARE(covers(), 1);
        QTRY_VERIFY(!fade->isRunning());
        QCOMPARE(covers(), 0);
        QCOMPARE(third->graphicsEffect(), nullptr);
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestMotion)
#include "tst_Motion.moc"
