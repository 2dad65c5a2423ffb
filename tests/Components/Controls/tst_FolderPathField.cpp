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
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("ends");
        QTest::newRow("the focus moves on") << int(Qt::Key_Tab) << true;
        QTest::newRow("an arrow key places the cursor") << int(Qt::Key_Right) << true;
        QTest::newRow("copied") << int(Qt::Key_C) << false;
    }

    void theHandOverEndsWithTheSelection()
    {
        QFETCH(int, key);
        QFETCH(bool, ends);
        QWidget window;
        auto *field = new FolderPathField(QStringLiteral("/home/someone/.config/Vemra/Shortcuts"), {}, &window);
        auto *column = new QVBoxLayout(&window);
        column->addWidget(field);
        column->addWidget(new QLineEdit(&window));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy ended(field, &FolderPathField::handOverEnded);

        field->handOver();
        QVERIFY(field->hasFocus());
        QCOMPARE(field->selectedText(), field->text());
        QTest::keyClick(field, Qt::Key(key), key == Qt::Key_C ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(ended.count(), ends ? 1 : 0);
        QCOMPARE(field->isHandedOver(), !ends);
    }
};

QTEST_MAIN(TestFolderPathField)
#include "tst_FolderPathField.moc"
