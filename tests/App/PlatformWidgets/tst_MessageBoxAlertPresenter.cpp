#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"
#include "Views/Settings/FolderPathField.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

class TestMessageBoxAlertPresenter final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A path given with the alert lies between its text and its buttons, selected and focused,
    // so that Ctrl+C copies it; the buttons answer as without one.
    void showsAPathReadyToCopy_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("clicked");
        QTest::newRow("no path") << QString() << 1;
        QTest::newRow("a path") << QStringLiteral("/home/someone/.local/share/Vemra/Todos.store") << 0;
    }

    void showsAPathReadyToCopy()
    {
        QFETCH(QString, path);
        QFETCH(int, clicked);
        Alert alert;
        alert.style = Alert::Style::Informational;
        alert.title = QStringLiteral("There is no file manager to show it in.");
        alert.informativeText = QStringLiteral("Its path is selected below: copy it with Ctrl+C.");
        alert.buttons = { QStringLiteral("OK"), QStringLiteral("Other") };
        alert.path = path;

        bool looked = false;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            const QList<FolderPathField *> fields = box->findChildren<FolderPathField *>();
            looked = true;
            const auto answer = qScopeGuard([&] { box->buttons().at(clicked)->click(); });
            QCOMPARE(fields.size(), path.isEmpty() ? 0 : 1);
            if (path.isEmpty())
                return;
            FolderPathField *field = fields.first();
            QVERIFY(field->isVisible());
            QCOMPARE(field->text(), path);
            QCOMPARE(field->selectedText(), path);
            QCOMPARE(box->focusWidget(), field);
            const auto *buttons = box->findChild<QDialogButtonBox *>();
            const auto *text = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
            QVERIFY(buttons && text);
            const QRect fieldArea(field->mapTo(box, QPoint()), field->size());
            QVERIFY(fieldArea.top() >= text->geometry().bottom());
            QVERIFY(fieldArea.bottom() <= buttons->geometry().top());
            QCOMPARE(fieldArea.left(), text->geometry().left());
        });
        MessageBoxAlertPresenter alerts;
        QCOMPARE(alerts.present(alert), clicked);
        QVERIFY(looked);
    }
};

QTEST_MAIN(TestMessageBoxAlertPresenter)
#include "tst_MessageBoxAlertPresenter.moc"
