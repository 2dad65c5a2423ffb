#include "Components/Theme/Symbols.h"
#include "Screenshots.h"
#include "Services/Shell/Surface.h"
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

    void controlDigitsSelectTabs_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<VemraTab>("tab");
        QTest::newRow("Ctrl+2") << Qt::Key_2 << VemraTab::Clipboard;
        QTest::newRow("Ctrl+3") << Qt::Key_3 << VemraTab::Focus;
    }

    void controlDigitsSelectTabs()
    {
        QFETCH(Qt::Key, key);
        QFETCH(VemraTab, tab);
        Container container;
        Surface surface;
        container.picker->bind(&surface);
        QSignalSpy changes(container.picker, &SectionPicker::selectionChanged);
        QVERIFY(container.show());

        QTest::keyClick(container.root.windowHandle(), key, Qt::ControlModifier);
        QCOMPARE(container.picker->selection(), tab);
        QCOMPARE(surface.tab(), tab);
        QCOMPARE(changes.count(), 1);
        QVERIFY(container.field->text().isEmpty()); // the digit is not typed
        QVERIFY(container.picker->segment(tab)->isChecked());
        QVERIFY(!container.picker->segment(VemraTab::Todos)->isChecked());

        // Back with Ctrl+1, as a click on the first segment would.
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
