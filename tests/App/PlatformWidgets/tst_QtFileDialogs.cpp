#include "App/PlatformWidgets/QtFileDialogs.h"
#include "TestHome.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

class TestQtFileDialogs final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The first dialog opens in Documents, or in the home folder when there is none (never in
    // the process's working folder); later ones where the last file was chosen, while that
    // folder is still there.
    void opensInAFolderThatExists_data()
    {
        QTest::addColumn<bool>("documents");
        QTest::addColumn<QString>("expected"); // under the home folder
        QTest::newRow("no Documents folder") << false << QString();
        QTest::newRow("a Documents folder") << true << QStringLiteral("/Documents");
    }

    void opensInAFolderThatExists()
    {
        QFETCH(bool, documents);
        QFETCH(QString, expected);
        TestHome home;
        if (documents)
            QVERIFY(QDir(home.path()).mkpath(QStringLiteral("Documents")));
        const QString elsewhere = home.path() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(QDir::setCurrent(elsewhere));

        QtFileDialogs dialogs;
        QStringList openedIn;
        QString choose; // what the next dialog picks; empty cancels it
        const auto answer = [&] {
            QTimer::singleShot(0, this, [&] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                openedIn << QDir(dialog->directory()).canonicalPath();
                if (choose.isEmpty()) {
                    dialog->reject();
                } else {
                    dialog->selectFile(choose);
                    static_cast<QDialog *>(dialog)->accept();
                }
            });
        };
        FileDialogRequest request;
        request.mode = FileDialogRequest::Mode::Open;
        answer();
        QVERIFY(!dialogs.chooseFile(request));
        QCOMPARE(openedIn.value(0), QDir(home.path() + expected).canonicalPath());

        // A file chosen in a folder that is then removed: back to the first choice.
        const QString chosenFolder = home.path() + QStringLiteral("/exports");
        QVERIFY(QDir().mkpath(chosenFolder));
        QFile file(chosenFolder + QStringLiteral("/vemra.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        choose = file.fileName();
        answer();
        QCOMPARE(dialogs.chooseFile(request).value_or(QString()), file.fileName());
        choose.clear();
        answer();
        dialogs.chooseFile(request);
        QCOMPARE(openedIn.value(2), QDir(chosenFolder).canonicalPath());
        QVERIFY(QDir(chosenFolder).removeRecursively());
        answer();
        dialogs.chooseFile(request);
        QCOMPARE(openedIn.value(3), QDir(home.path() + expected).canonicalPath());
    }
};

QTEST_MAIN(TestQtFileDialogs)
#include "tst_QtFileDialogs.moc"
