#include "Components/Controls/IconButton.h"
#include "Components/Controls/PointingHandCursor.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Theme/Symbols.h"
#include "Screenshots.h"

#include <QGridLayout>
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
