#include "Components/Controls/FolderPathField.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

class TestFolderPathField final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A path handed over is selected whole with the focus; the hand-over ends with its selection,
    // not while the path stays selected.
    void theHandOverEndsWithTheSelection_data()
    {
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("ends");
        QTest::newRow("the focus moves on") << QStringLiteral("focus") << true;
        QTest::newRow("a click places the cursor") << QStringLiteral("click") << true;
        QTest::newRow("an arrow key places the cursor") << QStringLiteral("arrow") << true;
        QTest::newRow("copied") << QStringLiteral("copy") << false;
        QTest::newRow("all selected again") << QStringLiteral("select all") << false;
    }

    void theHandOverEndsWithTheSelection()
    {
        QFETCH(QString, then);
        QFETCH(bool, ends);
        QWidget window;
        auto *column = new QVBoxLayout(&window);
        auto *field = new FolderPathField(
            QStringLiteral("/home/someone/.config/Vemra/Shortcuts"), QStringLiteral("Shortcuts folder"), &window);
        auto *other = new QLineEdit(&window);
        column->addWidget(field);
        column->addWidget(other);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy ended(field, &FolderPathField::handOverEnded);

        field->handOver();
        QVERIFY(field->hasFocus());
        QCOMPARE(field->selectedText(), field->text());
        QVERIFY(field->isHandedOver());
        if (then == QLatin1String("focus"))
            other->setFocus(Qt::TabFocusReason);
        else if (then == QLatin1String("click"))
            QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(10, field->height() / 2));
        else if (then == QLatin1String("arrow"))
            QTest::keyClick(field, Qt::Key_Right);
        else if (then == QLatin1String("copy"))
            QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
        else
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(ended.count(), ends ? 1 : 0);
        QCOMPARE(field->isHandedOver(), !ends);
        QCOMPARE(field->hasSelectedText(), !ends);

        // Handed over again, it ends again.
        field->handOver();
        other->setFocus(Qt::TabFocusReason);
        QCOMPARE(ended.count(), ends ? 2 : 1);
    }
};

QTEST_MAIN(TestFolderPathField)
#include "tst_FolderPathField.moc"
