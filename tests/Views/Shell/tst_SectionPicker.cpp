#include "AnimationClock.h"
#include "Components/Theme/Symbols.h"
#include "Screenshots.h"
#include "Services/Shell/Surface.h"
#include "TestHome.h"
#include "Views/Shell/SectionPicker.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(VemraTab)

namespace {

bool showsHand(const QWidget *w)
{
    return w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::PointingHandCursor;
}

// A container as the panel builds it: the picker over a text field that has the focus.
struct Container
{
    QWidget root;
    SectionPicker *picker = new SectionPicker(Density::Compact, &root);
    QLineEdit *field = new QLineEdit(&root);

    Container()
    {
        auto *column = new QVBoxLayout(&root);
        column->addWidget(picker);
        column->addWidget(field);
        root.resize(380, 100);
    }

    bool show()
    {
        root.show();
        root.activateWindow();
        if (!QTest::qWaitForWindowActive(&root))
            return false;
        field->setFocus();
        return true;
    }
};

} // namespace

class TestSectionPicker final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(Screenshots::lightPalette());
        Symbols::useIconTheme();
    }

    // Ctrl with the digit row's keys, by their place whatever the layout types there, as a key
    // reaches the focused field (X key codes: 10, 11, 12 are 1, 2, 3; 88 the keypad's 2).
    void controlDigitsSelectTabs_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<std::optional<VemraTab>>("tab");
        const int ctrl = Qt::ControlModifier;
        const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("Ctrl+2") << int(Qt::Key_2) << 11u << ctrl << std::optional(VemraTab::Clipboard);
        QTest::newRow("Ctrl+3") << int(Qt::Key_3) << 12u << ctrl << std::optional(VemraTab::Focus);
        QTest::newRow("Ctrl+2 without a native code")
            << int(Qt::Key_2) << 0u << ctrl << std::optional(VemraTab::Clipboard);
        QTest::newRow("AZERTY Ctrl+é") << int(Qt::Key_Eacute) << 11u << ctrl << std::optional(VemraTab::Clipboard);
        QTest::newRow("AZERTY Ctrl+quote") << int(Qt::Key_QuoteDbl) << 12u << ctrl << std::optional(VemraTab::Focus);
        QTest::newRow("AZERTY Ctrl+Shift+2")
            << int(Qt::Key_2) << 11u << ctrlShift << std::optional(VemraTab::Clipboard);
        QTest::newRow("US Ctrl+Shift+2 is Ctrl+@") << int(Qt::Key_At) << 11u << ctrlShift << std::optional<VemraTab>();
        QTest::newRow("Alt+é") << int(Qt::Key_Eacute) << 11u << int(Qt::AltModifier) << std::optional<VemraTab>();
        QTest::newRow("keypad Ctrl+2") << int(Qt::Key_2) << 88u << int(Qt::ControlModifier | Qt::KeypadModifier)
                                       << std::optional<VemraTab>();
    }

    void controlDigitsSelectTabs()
    {
        QFETCH(int, key);
        QFETCH(quint32, scanCode);
        QFETCH(int, modifiers);
        QFETCH(std::optional<VemraTab>, tab);
        Container container;
        Surface surface;
        container.picker->bind(&surface);
        QSignalSpy changes(container.picker, &SectionPicker::selectionChanged);
        QVERIFY(container.show());

        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), scanCode, 0, 0);
        QApplication::sendEvent(container.field, &press);
        QCOMPARE(surface.tab(), tab.value_or(VemraTab::Todos));
        QCOMPARE(changes.count(), tab ? 1 : 0);
        if (!tab)
            return;
        QCOMPARE(container.picker->selection(), *tab);
        QVERIFY(container.field->text().isEmpty()); // the digit is not typed
        QVERIFY(container.picker->segment(*tab)->isChecked());
        QVERIFY(!container.picker->segment(VemraTab::Todos)->isChecked());

        // Back with Ctrl+1 typed at the window, as a click on the first segment would.
        QTest::keyClick(container.root.windowHandle(), Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(surface.tab(), VemraTab::Todos);
        QCOMPARE(changes.count(), 2);
    }

    void clickSelectsAndTheSelectedSegmentStaysPut()
    {
        Container container;
        QSignalSpy changes(container.picker, &SectionPicker::selectionChanged);
        QVERIFY(container.show());
        QAbstractButton *todos = container.picker->segment(VemraTab::Todos);
        QAbstractButton *clipboard = container.picker->segment(VemraTab::Clipboard);
        QVERIFY(!showsHand(todos));
        QVERIFY(showsHand(clipboard));

        QTest::mouseClick(todos, Qt::LeftButton, {}, todos->rect().center());
        QCOMPARE(changes.count(), 0);
        QVERIFY(todos->isChecked());

        QTest::mouseClick(clipboard, Qt::LeftButton, {}, clipboard->rect().center());
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).value<VemraTab>(), VemraTab::Clipboard);
        QVERIFY(showsHand(todos));
        QVERIFY(!showsHand(clipboard));
        QVERIFY(clipboard->isChecked());
    }

    // The capsule slides to the chosen segment, or is there at once where the desktop asks for
    // less motion.
    void theCapsuleSlidesUnlessMotionIsReduced_data()
    {
        QTest::addColumn<bool>("reduced");
        QTest::newRow("motion") << false;
        QTest::newRow("reduced motion") << true;
    }

    void theCapsuleSlidesUnlessMotionIsReduced()
    {
        QFETCH(bool, reduced);
        TestHome home;
        home.setReducesMotion(reduced);
        AnimationClock clock;
        Container container;
        QVERIFY(container.show());
        SectionPicker *picker = container.picker;
        // Inside a segment's rounded end, clear of its symbol and title, the capsule differs from
        // the bare track, as the middle segment shows it before and after the slide.
        const auto capsuleOn = [picker](VemraTab tab) {
            const QImage drawn = picker->grab().toImage();
            const auto colourIn = [&](VemraTab in) {
                const QRect segment = picker->segment(in)->geometry();
                const qreal ratio = drawn.devicePixelRatio();
                return drawn.pixelColor(
                    qRound((segment.left() + segment.height() / 2.0) * ratio), qRound(segment.center().y() * ratio));
            };
            return colourIn(tab) != colourIn(VemraTab::Clipboard);
        };
        QVERIFY(capsuleOn(VemraTab::Todos));
        picker->setSelection(VemraTab::Focus);
        QCOMPARE(capsuleOn(VemraTab::Focus), reduced);
        QCOMPARE(capsuleOn(VemraTab::Todos), !reduced);
        clock.step(400);
        QVERIFY(capsuleOn(VemraTab::Focus));
        QVERIFY(!capsuleOn(VemraTab::Todos));
    }

    void surfaceChangesMoveThePicker()
    {
        SectionPicker picker(Density::Regular);
        Surface surface;
        surface.setTab(VemraTab::Focus);
        picker.bind(&surface);
        QCOMPARE(picker.selection(), VemraTab::Focus);
        QSignalSpy surfaceChanges(&surface, &Surface::tabChanged);
        surface.setTab(VemraTab::Clipboard); // a hot key or the status menu
        QCOMPARE(picker.selection(), VemraTab::Clipboard);
        QCOMPARE(surfaceChanges.count(), 1);
    }

    void focusSegmentIsBusyOnlyWhileAnotherTabShows()
    {
        SectionPicker picker(Density::Compact);
        QVERIFY(!picker.isBusy(VemraTab::Focus));
        picker.setSessionActive(true);
        QVERIFY(picker.isBusy(VemraTab::Focus));
        QVERIFY(!picker.isBusy(VemraTab::Todos));
        picker.setSelection(VemraTab::Focus);
        QVERIFY(!picker.isBusy(VemraTab::Focus));
        picker.setSelection(VemraTab::Clipboard);
        QVERIFY(picker.isBusy(VemraTab::Focus));
        picker.setSessionActive(false);
        QVERIFY(!picker.isBusy(VemraTab::Focus));
    }

    void helpNamesTheShortcut()
    {
        SectionPicker picker(Density::Compact);
        QCOMPARE(picker.segment(VemraTab::Todos)->toolTip(), QStringLiteral("Todos (Ctrl+1)"));
        QCOMPARE(picker.segment(VemraTab::Focus)->toolTip(), QStringLiteral("Focus (Ctrl+3)"));
        QCOMPARE(picker.accessibleName(), QStringLiteral("Section"));
    }
};

QTEST_MAIN(TestSectionPicker)
#include "tst_SectionPicker.moc"
