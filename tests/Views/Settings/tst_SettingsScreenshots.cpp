#include "App/SettingsWindowController.h"
#include "App/Tray/HostWindow.h"
#include "AppHarness.h"
#include "ClipboardHistory.h"
#include "Models/Shell/SettingsPane.h"
#include "Screenshots.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Shell/Preferences.h"
#include "Services/Transfer/DataTransfer.h"

#include <QTest>

// Every pane of the settings window as the application shows it, in both appearances.
class TestSettingsScreenshots final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyPaneInBothAppearances()
    {
        VEMRA_SCREENSHOTS_ONLY();
        AppHarness app;
        // A length that is no preset, so the Focus pane shows its steppers.
        app.settings.setValue(QStringLiteral("focusMinutes"), 45);
        app.start();
        // Two copies for the Clipboard pane's count, and an export for the Data pane's result line.
        for (const QString &text : { QStringLiteral("first"), QStringLiteral("second") })
            app.delegate->environment().clipboard->record(
                ClipboardHistory::capture(ClipboardKind::Text, text, app.clock.now()));
        app.fileDialogs.answerWith({ app.home.path() + QStringLiteral("/export.json") });
        app.delegate->environment().transfer->exportData(DataTransfer::Scope::All);
        QTRY_VERIFY(app.delegate->environment().transfer->lastResult().has_value());
        for (Appearance appearance : { Appearance::Light, Appearance::Dark }) {
            app.delegate->preferences().setAppearance(appearance);
            QCoreApplication::processEvents();
            for (SettingsPane pane : SettingsPanes::all) {
                app.delegate->showSettings(pane);
                HostWindow *window = app.delegate->settings()->window();
                QVERIFY(QTest::qWaitForWindowExposed(window));
                QTRY_VERIFY(!app.delegate->settings()->isResizing());
                Screenshots::save(window,
                    QStringLiteral("settings-") + SettingsPanes::storedValue(pane) + QLatin1Char('-')
                        + Appearances::storedValue(appearance));
            }
        }
    }
};

QTEST_MAIN(TestSettingsScreenshots)
#include "tst_SettingsScreenshots.moc"
