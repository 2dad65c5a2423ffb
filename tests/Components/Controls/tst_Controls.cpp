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

    void screenshot_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void screenshot()
    {
        VEMRA_SCREENSHOTS_ONLY();
        QFETCH(bool, dark);
        QWidget sheet;
        sheet.setPalette(dark ? Screenshots::darkPalette() : Screenshots::lightPalette());
        sheet.setAutoFillBackground(true);
        auto *grid = new QGridLayout(&sheet);
        grid->setContentsMargins(12, 12, 12, 12);
        grid->setSpacing(10);
        const QStringList states { QStringLiteral("rest"), QStringLiteral("hover"), QStringLiteral("disabled") };
        for (int column = 0; column < states.size(); ++column)
            grid->addWidget(new QLabel(states[column]), 0, column + 1);
        const QList<std::pair<QString, TintedButtonStyle::Variant>> variants { { QStringLiteral("tinted"),
                                                                                   TintedButtonStyle::Tinted },
            { QStringLiteral("gray"), TintedButtonStyle::Gray },
            { QStringLiteral("filled"), TintedButtonStyle::Filled },
            { QStringLiteral("plain"), TintedButtonStyle::Plain } };
        QList<QWidget *> hovered;
        int row = 1;
        for (const auto &[name, variant] : variants) {
            grid->addWidget(new QLabel(name), row, 0);
            for (int column = 0; column < states.size(); ++column) {
                auto *button = new TintedButton(QStringLiteral("Clear all"), { variant });
                button->setSymbol(row % 2 ? QStringLiteral("checkmark") : QString());
                button->setEnabled(column != 2);
                if (column == 1)
                    hovered.append(button);
                grid->addWidget(button, row, column + 1);
            }
            ++row;
        }
        grid->addWidget(new QLabel(QStringLiteral("destructive")), row, 0);
        for (int column = 0; column < 2; ++column) {
            auto *button = new TintedButton(QStringLiteral("Delete"), { TintedButtonStyle::Filled });
            button->setDestructive(true);
            if (column == 1)
                hovered.append(button);
            grid->addWidget(button, row, column + 1);
        }
        ++row;
        grid->addWidget(new QLabel(QStringLiteral("icons")), row, 0);
        for (int column = 0; column < 3; ++column) {
            auto *cell = new QWidget;
            auto *line = new QHBoxLayout(cell);
            line->setContentsMargins(0, 0, 0, 0);
            auto *icon = new IconButton(QStringLiteral("gearshape"));
            auto *round = new TintedButton(QString(), { TintedButtonStyle::Tinted, 22, 12, true });
            round->setSymbol(QStringLiteral("plus"));
            line->addWidget(icon);
            line->addWidget(round);
            line->addStretch();
            icon->setEnabled(column != 2);
            round->setEnabled(column != 2);
            if (column == 1)
                hovered << icon << round;
            grid->addWidget(cell, row, column + 1);
        }
        sheet.resize(sheet.sizeHint());
        sheet.show();
        for (QWidget *w : hovered)
            hover(w, true);
        QTest::qWait(200); // let the hover easing finish
        QVERIFY(QFileInfo::exists(
            Screenshots::save(&sheet, dark ? QStringLiteral("buttons-dark") : QStringLiteral("buttons-light"))));
    }
};

QTEST_MAIN(TestControls)
#include "tst_Controls.moc"
