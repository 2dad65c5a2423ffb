#include "Components/Controls/ElidedLabel.h"
#include "Components/Controls/IconButton.h"
#include "Components/Controls/MenuPlacement.h"
#include "Components/Controls/PointingHandCursor.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Theme/Symbols.h"
#include "Screenshots.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHoverEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

bool showsHand(const QWidget *w)
{
    return w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::PointingHandCursor;
}

void hover(QWidget *w, bool inside)
{
    const QPointF centre = QRectF(w->rect()).center();
    QHoverEvent event(inside ? QEvent::HoverEnter : QEvent::HoverLeave, centre, w->mapToGlobal(centre),
        inside ? QPointF(-1, -1) : centre);
    QCoreApplication::sendEvent(w, &event);
}

} // namespace

class TestControls final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(Screenshots::lightPalette());
        Symbols::useIconTheme();
    }

    void handOnlyWhileEnabledAndActive()
    {
        QPushButton button;
        bool selected = false;
        PointingHandCursor *hand = PointingHandCursor::apply(&button, [&selected] { return !selected; });
        QVERIFY(showsHand(&button));

        button.setEnabled(false);
        QVERIFY(!showsHand(&button));
        button.setEnabled(true);
        QVERIFY(showsHand(&button));

        selected = true; // a segment becomes the selected one
        hand->refresh();
        QVERIFY(!showsHand(&button));
        selected = false;
        hover(&button, true); // noticed again when the pointer comes back
        QVERIFY(showsHand(&button));

        // Applying again replaces the condition rather than stacking helpers.
        QCOMPARE(PointingHandCursor::apply(&button, [] { return false; }), hand);
        QVERIFY(!showsHand(&button));
        QCOMPARE(button.findChildren<PointingHandCursor *>().size(), 1);
    }

    void inactiveControlLeavesOtherCursorsAlone()
    {
        QLineEdit field;
        field.setEnabled(false);
        PointingHandCursor::apply(&field);
        QCOMPARE(field.cursor().shape(), Qt::IBeamCursor);
        field.setEnabled(true);
        QVERIFY(showsHand(&field));
        field.setEnabled(false);
        QCOMPARE(field.cursor().shape(), Qt::IBeamCursor);
    }

    void buttonsShowTheHandOnlyWhileEnabled()
    {
        TintedButton tinted(QStringLiteral("Save"));
        IconButton icon(QStringLiteral("gearshape"));
        for (QAbstractButton *button :
            { static_cast<QAbstractButton *>(&tinted), static_cast<QAbstractButton *>(&icon) }) {
            QVERIFY(showsHand(button));
            button->setEnabled(false);
            QVERIFY(!showsHand(button));
        }
    }

    void disabledButtonKeepsItsRestingLookUnderThePointer()
    {
        TintedButton button(QStringLiteral("Save"));
        button.setEnabled(false);
        hover(&button, true);
        QVERIFY(!button.isHighlighted());

        button.setEnabled(true);
        QVERIFY(button.isHighlighted()); // the pointer is still there
        button.setEnabled(false);
        QVERIFY(!button.isHighlighted());
        hover(&button, false);
        button.setEnabled(true);
        QVERIFY(!button.isHighlighted());
    }

    // The gear hides with the panel when its menu's action closes it: it must not come back
    // with its hover wash.
    void aButtonHiddenUnderThePointerComesBackPlain()
    {
        QWidget window;
        auto *gear = new IconButton(QStringLiteral("gearshape"), &window);
        window.show();
        hover(gear, true);
        QVERIFY(gear->isHighlighted());
        window.hide();
        window.show();
        QVERIFY(!gear->isHighlighted());
    }

    // A menu drops down from its control, rises above it when there is no room below, and never
    // leaves the free part of the screen, on common screens with the panel under a tray at the
    // top or above one at the bottom.
    void menusOpenBesideTheirControl_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QSize>("menu");
        QTest::addColumn<QPoint>("expected");

        const QSize menu(220, 150);
        // 1366 by 768 with a 24-pixel tray bar at the top or the bottom.
        const QRect smallTop(0, 24, 1366, 744);
        const QRect smallBottom(0, 0, 1366, 744);
        QTest::newRow("small, tray at the top: below")
            << smallTop << QRect(1100, 500, 90, 24) << menu << QPoint(1100, 526);
        QTest::newRow("small, tray at the bottom: above")
            << smallBottom << QRect(1100, 700, 90, 24) << menu << QPoint(1100, 548);
        QTest::newRow("small: the right edge pushes it in")
            << smallBottom << QRect(1300, 700, 60, 24) << menu << QPoint(1146, 548);
        QTest::newRow("small: just room below") << smallBottom << QRect(20, 568, 90, 24) << menu << QPoint(20, 594);
        // 1920 by 1080 with a 32-pixel tray bar.
        const QRect largeTop(0, 32, 1920, 1048);
        const QRect largeBottom(0, 0, 1920, 1048);
        QTest::newRow("large, tray at the top: below")
            << largeTop << QRect(1700, 800, 90, 24) << menu << QPoint(1700, 826);
        QTest::newRow("large, tray at the bottom: above")
            << largeBottom << QRect(1700, 1000, 90, 24) << menu << QPoint(1700, 848);
        QTest::newRow("large: a control at the very top")
            << largeTop << QRect(10, 32, 90, 24) << menu << QPoint(10, 58);
        // Taller than the room on either side: on the side with more room, kept on the screen.
        QTest::newRow("too tall: more room above")
            << smallBottom << QRect(0, 500, 90, 24) << QSize(220, 600) << QPoint(0, 0);
        QTest::newRow("too tall: more room below")
            << smallBottom << QRect(0, 200, 90, 24) << QSize(220, 600) << QPoint(0, 144);
    }

    void menusOpenBesideTheirControl()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, anchor);
        QFETCH(QSize, menu);
        QFETCH(QPoint, expected);
        const QPoint at = MenuPlacement::beside(anchor, menu, screen);
        QCOMPARE(at, expected);
        QVERIFY(screen.contains(QRect(at, menu)));
    }

    // A long text is cut to the width the row gives it, where its mode says, without widening
    // the row; given the room again, or a smaller font, it shows whole.
    void elidedLabelCutsToItsWidth_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("keepsStart");
        QTest::addColumn<bool>("keepsEnd");
        QTest::newRow("at the end") << int(Qt::ElideRight) << true << false;
        QTest::newRow("in the middle") << int(Qt::ElideMiddle) << true << true;
        QTest::newRow("at the start") << int(Qt::ElideLeft) << false << true;
    }

    void elidedLabelCutsToItsWidth()
    {
        QFETCH(int, mode);
        QFETCH(bool, keepsStart);
        QFETCH(bool, keepsEnd);
        const QString text = QStringLiteral("Move “") + QString(80, u'x') + QStringLiteral("” to Friday");
        QWidget row;
        auto *layout = new QHBoxLayout(&row);
        auto *label = new ElidedLabel(Qt::TextElideMode(mode), Theme::secondary);
        layout->addWidget(label, 1);
        layout->addWidget(new QPushButton(QStringLiteral("Cancel")));
        label->setFullText(text);
        row.setFixedWidth(240);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QCOMPARE(row.width(), 240);
        QVERIFY(label->text().contains(u'…'));
        QVERIFY(label->text() != text);
        QCOMPARE(label->text().startsWith(QStringLiteral("Move")), keepsStart);
        QCOMPARE(label->text().endsWith(QStringLiteral("Friday")), keepsEnd);
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        QCOMPARE(label->fullText(), text);

        row.setFixedWidth(label->sizeHint().width() + 200);
        QTRY_COMPARE(label->text(), text);
        QFont font = label->font();
        font.setPixelSize(30);
        label->setFont(font);
        QVERIFY(label->text() != text);
    }

    void onlyTheCapsuleIsClickable()
    {
        TintedButton button(QStringLiteral("Clear all"), { TintedButtonStyle::Plain, 24 });
        button.resize(button.sizeHint());
        QSignalSpy clicks(&button, &QAbstractButton::clicked);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(clicks.count(), 0);
        QTest::mouseClick(&button, Qt::LeftButton, {}, button.rect().center());
        QCOMPARE(clicks.count(), 1);

        TintedButton round(QString(), { TintedButtonStyle::Tinted, 22, 12, true });
        QCOMPARE(round.sizeHint(), QSize(22, 22)); // a circle, no padding
    }
};

QTEST_MAIN(TestControls)
#include "tst_Controls.moc"
