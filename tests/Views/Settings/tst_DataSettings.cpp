#include "App/SettingsWindowController.h"
#include "AppHarness.h"
#include "Components/Controls/FolderPathField.h"
#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/ToneLabel.h"
#include "Platform/DataPaths.h"
#include "Services/Transfer/DataTransfer.h"
#include "Services/Transfer/ImportJournal.h"
#include "Views/Settings/DataSettings.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/SettingsSection.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QTest>

class TestDataSettings final : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppHarness> app;

    DataSettings *openPane()
    {
        app->start();
        app->delegate->showSettings(SettingsPane::Data);
        auto *pane = qobject_cast<DataSettings *>(app->delegate->settings()->paneView(SettingsPane::Data));
        Q_ASSERT(pane);
        return pane;
    }

private Q_SLOTS:
    void init() { app = std::make_unique<AppHarness>(); }
    void cleanup() { app.reset(); }

    // Empty before any transfer; "Working…" with the section disabled while the file is
    // written; then the result, which a cancelled transfer leaves in place.
    void footerFollowsTheTransfer()
    {
        DataSettings *pane = openPane();
        QVERIFY(!pane->workingLine()->isVisible());
        QVERIFY(!pane->resultLine()->isVisible());
        QVERIFY(pane->transferSection()->isEnabled());

        const QString file = app->home.path() + QStringLiteral("/export.json");
        app->fileDialogs.answerWith({ file });
        QTest::mouseClick(pane->exportButton(), Qt::LeftButton);
        QVERIFY(pane->workingLine()->isVisible());
        QVERIFY(!pane->resultLine()->isVisible());
        QVERIFY(!pane->transferSection()->isEnabled());
        QVERIFY(!pane->exportButton()->isEnabled());

        QTRY_VERIFY(pane->resultLine()->isVisible());
        QVERIFY(!pane->workingLine()->isVisible());
        QVERIFY(pane->transferSection()->isEnabled());
        QCOMPARE(pane->resultText()->text(), app->delegate->environment().transfer.lastResult().value());
        QVERIFY(QFileInfo::exists(file));

        const QString result = pane->resultText()->text();
        app->fileDialogs.answerWith({ std::nullopt });
        QTest::mouseClick(pane->importButton(), Qt::LeftButton);
        QTRY_VERIFY(pane->transferSection()->isEnabled());
        QVERIFY(pane->resultLine()->isVisible());
        QCOMPARE(pane->resultText()->text(), result);
    }

    // The keyboard's focus on Export stays in the pane while the export disables the section,
    // and is back on Export when it ends.
    void theFocusComesBackToExportWhenItEnds()
    {
        DataSettings *pane = openPane();
        QWidget *window = pane->window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        app->fileDialogs.answerWith({ app->home.path() + QStringLiteral("/export.json") });
        pane->exportButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pane->exportButton(), Qt::Key_Space);
        QVERIFY(!pane->transferSection()->isEnabled());
        QCOMPARE(window->focusWidget(), pane);

        QTRY_VERIFY(pane->transferSection()->isEnabled());
        QVERIFY(pane->exportButton()->hasFocus());
    }

    // The folder that holds both stores, selected in its parent, whether or not it exists yet.
    // Without a file manager nothing opens (the desktop would hand the folder to the web
    // browser): the pane says so and hands the folder's path over, selected, to copy.
    void showInFolder_data()
    {
        QTest::addColumn<bool>("fileManager");
        QTest::newRow("file manager") << true;
        QTest::newRow("no file manager") << false;
    }

    void showInFolder()
    {
        QFETCH(bool, fileManager);
        app->revealer.fileManager = fileManager;
        DataSettings *pane = openPane();
        QVERIFY(!pane->location()->isVisible());
        QTest::mouseClick(pane->showInFolderButton(), Qt::LeftButton);
        QCOMPARE(app->revealer.revealed(), fileManager ? QStringList { DataPaths::appFolder() } : QStringList());
        QVERIFY(DataPaths::appFolder().endsWith(QStringLiteral("/Vemra")));
        QCOMPARE(pane->location()->isVisible(), !fileManager);
        if (fileManager)
            return;
        QVERIFY(pane->folderPath()->isVisible());
        QVERIFY(pane->folderPath()->isReadOnly());
        QCOMPARE(pane->folderPath()->selectedText(), DataPaths::appFolder());
        QVERIFY(pane->locationNote()->isVisible());
        QVERIFY(pane->locationNote()->text().contains(QStringLiteral("no file manager")));
        // Inside the window, not cut off below the pane.
        QWidget *window = pane->window();
        const QRect path(pane->folderPath()->mapTo(window, QPoint()), pane->folderPath()->size());
        QVERIFY2(window->rect().contains(path), qPrintable(QDebug::toString(path)));

        // The note tells of the selection, and goes with it; the path stays to select again.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QVERIFY(pane->folderPath()->hasFocus());
        pane->exportButton()->setFocus(Qt::TabFocusReason);
        QVERIFY(!pane->locationNote()->isVisible());
        QVERIFY(pane->folderPath()->isVisible());
        QTest::mouseClick(pane->showInFolderButton(), Qt::LeftButton);
        QVERIFY(pane->locationNote()->isVisible());
        QCOMPARE(pane->folderPath()->selectedText(), DataPaths::appFolder());
    }

    // An import that a crash cut short is taken back and told in the footer with the warning
    // mark of a failure, not the check mark of a transfer done; the next transfer's result
    // brings the check mark back.
    void anInterruptedImportIsToldAsAFailure()
    {
        const QString clipboardFolder = app->home.dataFolder() + QStringLiteral("/Clipboard");
        QVERIFY(QDir().mkpath(clipboardFolder));
        QVERIFY(ImportJournal::write(clipboardFolder, { QUuid::createUuid() }, { QUuid::createUuid() }));
        DataSettings *pane = openPane();
        QTRY_VERIFY(pane->resultLine()->isVisible());
        QCOMPARE(pane->resultText()->text(),
            QStringLiteral("The last import was interrupted, so nothing from it was added."));
        QCOMPARE(pane->resultMark()->symbol(), QStringLiteral("exclamationmark.triangle.fill"));
        QVERIFY(pane->resultMark()->tone() == Theme::warning);
        QVERIFY(pane->resultText()->tone() == Theme::warning);

        app->fileDialogs.answerWith({ app->home.path() + QStringLiteral("/export.json") });
        QTest::mouseClick(pane->exportButton(), Qt::LeftButton);
        QTRY_VERIFY(pane->resultText()->text().startsWith(QStringLiteral("Exported")));
        QCOMPARE(pane->resultMark()->symbol(), QStringLiteral("checkmark.circle.fill"));
        QVERIFY(pane->resultMark()->tone() == Theme::secondary);
    }
};

QTEST_MAIN(TestDataSettings)
#include "tst_DataSettings.moc"
