#include "App/PlatformWidgets/AlertBox.h"
#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"
#include "Components/Controls/FolderPathField.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <functional>

class TestMessageBoxAlertPresenter final : public QObject
{
    Q_OBJECT

    // Presents `alert`, running `look` on the box once it shows; the answer.
    int presentLooking(
        MessageBoxAlertPresenter &alerts, const Alert &alert, const std::function<void(AlertBox *)> &look)
    {
        bool looked = false;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<AlertBox *>(QApplication::activeModalWidget());
            looked = box != nullptr;
            if (!box)
                return;
            look(box);
        });
        const int answer = alerts.present(alert);
        if (!looked)
            qWarning("no alert box showed");
        return looked ? answer : -2;
    }

    static QLabel *labelSaying(AlertBox *box, const QString &text)
    {
        for (QLabel *label : box->findChildren<QLabel *>()) {
            if (label->text() == text)
                return label;
        }
        return nullptr;
    }

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
        alert.informativeText = QStringLiteral("Its path is selected: copy it with Ctrl+C.");
        alert.buttons = { QStringLiteral("OK"), QStringLiteral("Other") };
        alert.path = path;

        MessageBoxAlertPresenter alerts;
        const int answer = presentLooking(alerts, alert, [&](AlertBox *box) {
            const QList<FolderPathField *> fields = box->findChildren<FolderPathField *>();
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
            const QLabel *text = labelSaying(box, alert.informativeText);
            QVERIFY(buttons && text);
            const QRect fieldArea(field->mapTo(box, QPoint()), field->size());
            QVERIFY(fieldArea.top() >= text->geometry().bottom());
            QVERIFY(fieldArea.bottom() <= buttons->geometry().top());
            QCOMPARE(fieldArea.left(), text->geometry().left());
        });
        QCOMPARE(answer, clicked);
    }

    // Return presses the first button; Escape and closing the window answer with the cancel
    // button, the first when none is named; an alert changed on screen answers from its new
    // buttons.
    void answers_data()
    {
        QTest::addColumn<int>("cancelButton");
        QTest::addColumn<int>("key"); // 0: closed; -1: the last button clicked
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::newRow("Return") << 1 << int(Qt::Key_Return) << false << 0;
        QTest::newRow("Escape") << 1 << int(Qt::Key_Escape) << false << 1;
        QTest::newRow("Escape, no cancel button") << -1 << int(Qt::Key_Escape) << false << 0;
        QTest::newRow("closed") << 1 << 0 << false << 1;
        QTest::newRow("changed, the last button") << 1 << -1 << true << 2;
        QTest::newRow("changed, Escape") << 1 << int(Qt::Key_Escape) << true << 2;
    }

    void answers()
    {
        QFETCH(int, cancelButton);
        QFETCH(int, key);
        QFETCH(bool, changed);
        QFETCH(int, answer);
        Alert alert;
        alert.title = QStringLiteral("Import 3 todos?");
        alert.buttons = { QStringLiteral("Import"), QStringLiteral("Cancel") };
        alert.cancelButton = cancelButton;
        Alert later = alert;
        later.title = QStringLiteral("Import 4 todos?");
        later.buttons = { QStringLiteral("Import"), QStringLiteral("Skip"), QStringLiteral("Cancel") };
        later.cancelButton = 2;

        MessageBoxAlertPresenter alerts;
        const int answered = presentLooking(alerts, alert, [&](AlertBox *box) {
            const auto close = qScopeGuard([box] { box->reject(); });
            if (changed)
                alerts.update(later);
            QCOMPARE(box->text(), (changed ? later : alert).title);
            QCOMPARE(box->buttons().size(), (changed ? later : alert).buttons.size());
            if (key > 0)
                QTest::keyClick(box, Qt::Key(key));
            else if (key == 0)
                box->close();
            else
                box->buttons().last()->click();
        });
        QCOMPARE(answered, answer);
    }
};

QTEST_MAIN(TestMessageBoxAlertPresenter)
#include "tst_MessageBoxAlertPresenter.moc"
