#include "App/SettingsWindowController.h"
#include "App/Tray/HostWindow.h"
#include "AppHarness.h"
#include "Components/Controls/FolderPathField.h"
#include "Components/Controls/ToneLabel.h"
#include "Models/Focus/FocusShortcut.h"
#include "Screenshots.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/Preferences.h"
#include "Views/Settings/FocusSettings.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/SettingsRow.h"
#include "Views/Settings/SettingsStepper.h"
#include "Views/Settings/SettingsSwitch.h"
#include "Views/Settings/SilencingSetup.h"
#include "Views/Settings/SilencingStatus.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr quint32 F = 3;
constexpr quint32 shiftCommand = 0x300;
constexpr quint32 controlOptionCommand = 0x1900;

} // namespace

class TestFocusSettings final : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppHarness> app;

    FocusSettings *openPane()
    {
        app->start();
        app->delegate->showSettings(SettingsPane::Focus);
        auto *pane = qobject_cast<FocusSettings *>(app->delegate->settings()->paneView(SettingsPane::Focus));
        Q_ASSERT(pane);
        return pane;
    }
    void reshow()
    {
        app->delegate->showSettings(SettingsPane::About);
        app->delegate->showSettings(SettingsPane::Focus);
    }
    Preferences &preferences() { return app->delegate->preferences(); }
    FocusSessionManager &focus() { return app->delegate->environment().focus; }

private Q_SLOTS:
    void init() { app = std::make_unique<AppHarness>(); }
    void cleanup() { app.reset(); }

    // The picker and the steppers over the stored length, one step at a time: "show" shows the
    // pane again, "custom" and a number choose in the picker, "h+", "h-", "m+", "m-" click a
    // stepper's arrow.
    void durationPickerAndSteppers_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("picker");
        QTest::addColumn<QString>("steppers");
        const auto steps = [](const char *list) { return QString::fromLatin1(list).split(QLatin1Char(' ')); };
        QTest::newRow("a preset") << 25 << steps("show") << 25 << "25 min"
                                  << "";
        QTest::newRow("no preset") << 45 << steps("show") << 45 << "Custom"
                                   << "0 hr 45 min";
        QTest::newRow("Custom keeps the length") << 25 << steps("custom") << 25 << "Custom"
                                                 << "0 hr 25 min";
        QTest::newRow("a preset after Custom") << 25 << steps("custom 60") << 60 << "1 hr"
                                               << "";
        QTest::newRow("1:00 hours down is refused") << 60 << steps("custom h-") << 60 << "Custom"
                                                    << "1 hr 0 min";
        QTest::newRow("0:01 minutes down is refused") << 1 << steps("show m-") << 1 << "Custom"
                                                      << "0 hr 1 min";
        QTest::newRow("23:30 hours up drops the minutes") << 1410 << steps("show h+") << 1440 << "Custom"
                                                          << "24 hr 0 min";
        QTest::newRow("24:00 minutes up is refused") << 1440 << steps("show m+") << 1440 << "Custom"
                                                     << "24 hr 0 min";
        QTest::newRow("0:59 hours up") << 59 << steps("show h+") << 119 << "Custom"
                                       << "1 hr 59 min";
        QTest::newRow("a preset by stepping stays Custom") << 29 << steps("show m+") << 30 << "Custom"
                                                           << "0 hr 30 min";
        QTest::newRow("until the pane shows again") << 29 << steps("show m+ show") << 30 << "30 min"
                                                    << "";
    }
    void durationPickerAndSteppers()
    {
        QFETCH(int, stored);
        QFETCH(QStringList, steps);
        QFETCH(int, minutes);
        QFETCH(QString, picker);
        QFETCH(QString, steppers);
        app->settings.setValue(QStringLiteral("focusMinutes"), stored);
        FocusSettings *pane = openPane();
        for (const QString &step : steps) {
            if (step == QLatin1String("show")) {
                reshow();
            } else if (step == QLatin1String("custom")) {
                pane->durationPicker()->setCurrentIndex(pane->durationPicker()->count() - 1);
                Q_EMIT pane->durationPicker()->activated(pane->durationPicker()->count() - 1);
            } else if (step.at(0).isDigit()) {
                const int index = pane->durationPicker()->findData(step.toInt());
                pane->durationPicker()->setCurrentIndex(index);
                Q_EMIT pane->durationPicker()->activated(index);
            } else {
                SettingsStepper *stepper
                    = step.at(0) == QLatin1Char('h') ? pane->hoursStepper() : pane->minutesStepper();
                QAbstractButton *arrow = step.at(1) == QLatin1Char('+') ? stepper->upButton() : stepper->downButton();
                // An arrow at the end of the range is disabled; a refused step must not move anything either.
                if (arrow->isEnabled())
                    QTest::mouseClick(arrow, Qt::LeftButton);
                else
                    QTest::keyClick(stepper, step.at(1) == QLatin1Char('+') ? Qt::Key_Up : Qt::Key_Down);
            }
        }
        QCOMPARE(preferences().focusMinutes(), minutes);
        QCOMPARE(app->settings.value(QStringLiteral("focusMinutes")).toInt(), minutes);
        QCOMPARE(pane->durationPicker()->currentText(), picker);
        QCOMPARE(pane->customRow()->isVisible(), !steppers.isEmpty());
        if (!steppers.isEmpty())
            QCOMPARE(pane->hoursStepper()->text() + QLatin1Char(' ') + pane->minutesStepper()->text(), steppers);
    }

    // A problem wins; the reason for the substitute shows only while the substitute is in force.
    void shortcutNote()
    {
        app->desktopShortcuts.listed.insert({ F, shiftCommand });
        FocusSettings *pane = openPane();
        HotKeyCenter *center = app->delegate->environment().hotKeys.focus();
        SettingsNote *note = pane->shortcutNoteRow();
        QCOMPARE(center->combo(), std::optional<KeyCombo>(center->standard()));
        QVERIFY(note->isVisible());
        QCOMPARE(note->tone(), SettingsNote::Tone::Information);
        QCOMPARE(note->text(), center->note());

        center->set(KeyCombo { F, controlOptionCommand | 0x200, QStringLiteral("F") });
        QVERIFY(!note->isVisible());
        center->set(std::nullopt);
        QVERIFY(!note->isVisible());

        app->hotKeys.setTaken(F, controlOptionCommand);
        center->set(center->standard());
        QVERIFY(note->isVisible());
        QCOMPARE(note->tone(), SettingsNote::Tone::Problem);
        QCOMPARE(note->text(), center->problem());
    }

    void switchesWriteAtOnce()
    {
        FocusSettings *pane = openPane();
        QVERIFY(pane->soundSwitch()->isChecked());
        QTest::mouseClick(pane->soundSwitch(), Qt::LeftButton);
        QVERIFY(!preferences().focusPlaysSound());
        QCOMPARE(app->settings.value(QStringLiteral("focusPlaysSound")).toBool(), false);

        QVERIFY(pane->setupGuide());
        QTest::mouseClick(pane->silenceSwitch(), Qt::LeftButton);
        QVERIFY(!preferences().focusSilencesNotifications());
        QVERIFY(!pane->setupGuide());
        QTest::mouseClick(pane->silenceSwitch(), Qt::LeftButton);
        QVERIFY(pane->setupGuide());
        QVERIFY(pane->setupGuide()->isVisible());
    }

    void statusLine_data()
    {
        QTest::addColumn<std::optional<FocusSilencerReadiness>>("readiness");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<int>("look");
        using Look = SilencingStatus::Look;
        QTest::newRow("none yet") << std::optional<FocusSilencerReadiness>() << "Checking…"
                                  << "Looking for Vemra’s shortcuts" << int(Look::Checking);
        QTest::newRow("ready") << std::optional(FocusSilencerReadiness::ready()) << "Ready"
                               << "Do Not Disturb turns on when a Focus Session starts" << int(Look::Ready);
        QTest::newRow("two missing") << std::optional(FocusSilencerReadiness::missingShortcuts(
            { QStringLiteral("Vemra Focus Status"), QStringLiteral("Vemra Focus Off") }))
                                     << "Needs setup"
                                     << "Missing: Vemra Focus Status, Vemra Focus Off" << int(Look::Problem);
        // Scripts that are there are named with what keeps them from working, not as missing.
        QTest::newRow("one missing, one unusable")
            << std::optional(FocusSilencerReadiness::missingShortcuts(
                   { QStringLiteral("Vemra Focus Off") }, { QStringLiteral("Vemra Focus On is not executable") }))
            << "Needs setup"
            << "Missing: Vemra Focus Off · Vemra Focus On is not executable" << int(Look::Problem);
        QTest::newRow("none missing, one unusable")
            << std::optional(FocusSilencerReadiness::missingShortcuts(
                   {}, { QStringLiteral("Vemra Focus On can be changed by other users") }))
            << "Needs setup"
            << "Vemra Focus On can be changed by other users" << int(Look::Problem);
        QTest::newRow("unreadable folder")
            << std::optional(FocusSilencerReadiness::unavailable()) << "The Shortcuts folder can’t be read"
            << "Check again in a moment" << int(Look::Problem);
        QTest::newRow("denied") << std::optional(FocusSilencerReadiness::denied()) << "Not allowed"
                                << "Allow Vemra under Privacy & Security → Automation" << int(Look::Problem);
    }
    void statusLine()
    {
        QFETCH(std::optional<FocusSilencerReadiness>, readiness);
        QFETCH(QString, title);
        QFETCH(QString, detail);
        QFETCH(int, look);
        const SilencingStatus status = SilencingStatus::of(readiness);
        QCOMPARE(status.title, title);
        QCOMPARE(status.detail, detail);
        QCOMPARE(int(status.look), look);
    }

    // The guide checks silently as it comes on screen and once at a time; the answer decides
    // whether the steps show.
    void setupGuideChecksOneAtATime()
    {
        FocusSettings *pane = openPane();
        // The answer of the check started on showing is reported on the next turn of the loop.
        QSignalSpy checks(&focus(), &FocusSessionManager::readinessChecked);
        SilencingSetup *setup = pane->setupGuide();
        QVERIFY(setup->isChecking());
        QCOMPARE(setup->checkButton()->text(), QStringLiteral("Checking…"));
        QVERIFY(!setup->checkButton()->isEnabled());
        setup->check(true);
        setup->check(true);
        QTRY_VERIFY(!setup->isChecking());
        QCOMPARE(checks.size(), 1);
        QCOMPARE(setup->statusTitle()->text(), QStringLiteral("Needs setup"));
        QCOMPARE(setup->statusTitle()->tone(), Theme::warning);
        QVERIFY(setup->guide()->isVisible());
        // The folder is made when it is missing, then opened.
        QTest::mouseClick(setup->openFolderButton(), Qt::LeftButton);
        QCOMPARE(app->revealer.opened(), QStringList { app->scripts.folder() });
        QVERIFY(QFileInfo(app->scripts.folder()).isDir());

        for (FocusShortcut script : FocusShortcuts::all)
            app->scripts.answers.insert(FocusShortcuts::storedValue(script), UserScripts::Run::exited(0));
        QTest::mouseClick(setup->checkButton(), Qt::LeftButton);
        QTRY_VERIFY(!setup->isChecking());
        QCOMPARE(checks.size(), 2);
        QCOMPARE(setup->statusTitle()->text(), QStringLiteral("Ready"));
        QCOMPARE(setup->statusTitle()->tone(), Theme::ready);
        QVERIFY(!setup->guide()->isVisible());
        QCOMPARE(focus().readiness(), std::optional(FocusSilencerReadiness::ready()));
    }

    // A scripts folder that cannot be made (a file stands where its parent should be) is
    // reported beside the button, not opened; once it can be made it opens and the note goes.
    void scriptsFolderThatCannotBeMadeIsReported()
    {
        const QString blocker = app->home.path() + QStringLiteral("/Blocker");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        app->scripts.folderPath = blocker + QStringLiteral("/Shortcuts");
        SilencingSetup *setup = openPane()->setupGuide();
        QTRY_VERIFY(!setup->isChecking());
        QVERIFY(setup->guide()->isVisible());
        QVERIFY(!setup->folderProblem()->isVisible());

        QTest::mouseClick(setup->openFolderButton(), Qt::LeftButton);
        QVERIFY(app->revealer.opened().isEmpty());
        QVERIFY(setup->folderProblem()->isVisible());
        QCOMPARE(setup->folderProblem()->tone(), SettingsNote::Tone::Problem);
        QVERIFY(setup->folderProblem()->text().contains(app->scripts.folderPath));

        QVERIFY(QFile::remove(blocker));
        QTest::mouseClick(setup->openFolderButton(), Qt::LeftButton);
        QCOMPARE(app->revealer.opened(), QStringList { app->scripts.folderPath });
        QVERIFY(!setup->folderProblem()->isVisible());
    }

    // The folder's path stands beside the button, selectable. Without a file manager the button
    // opens nothing (the desktop would hand the folder to the web browser): the folder is made
    // and its path selected, and the note says why.
    void shortcutsFolderPathAndOpening_data()
    {
        QTest::addColumn<bool>("fileManager");
        QTest::newRow("a file manager") << true;
        QTest::newRow("no file manager") << false;
    }
    void shortcutsFolderPathAndOpening()
    {
        QFETCH(bool, fileManager);
        app->revealer.fileManager = fileManager;
        app->scripts.folderPath = app->home.path() + QStringLiteral("/Vemra/Shortcuts");
        SilencingSetup *setup = openPane()->setupGuide();
        QTRY_VERIFY(!setup->isChecking());
        QCOMPARE(setup->folderPath()->text(), app->scripts.folderPath);
        QVERIFY(setup->folderPath()->isVisible());
        QVERIFY(setup->folderPath()->isReadOnly());
        QVERIFY(setup->folderPath()->selectedText().isEmpty());

        QTest::mouseClick(setup->openFolderButton(), Qt::LeftButton);
        QVERIFY(QFileInfo(app->scripts.folderPath).isDir());
        QCOMPARE(app->revealer.opened(), fileManager ? QStringList { app->scripts.folderPath } : QStringList());
        QCOMPARE(setup->folderProblem()->isVisible(), !fileManager);
        QCOMPARE(setup->folderPath()->selectedText(), fileManager ? QString() : app->scripts.folderPath);
        if (!fileManager) {
            QCOMPARE(setup->folderProblem()->tone(), SettingsNote::Tone::Information);
            QVERIFY(setup->folderProblem()->text().contains(QStringLiteral("no file manager")));
        }
    }

    // Under a long home folder the path is cut in the middle, keeping its start and the folder's
    // own name; the tool tip has it whole, and selected it is whole.
    void aLongFolderPathIsCutInTheMiddle()
    {
        const QString longHome = app->home.path() + QStringLiteral("/") + QString(120, u'h');
        app->scripts.folderPath = longHome + QStringLiteral("/.config/Vemra/Shortcuts");
        SilencingSetup *setup = openPane()->setupGuide();
        QTRY_VERIFY(!setup->isChecking());
        FolderPathField *field = setup->folderPath();
        QVERIFY(field->width() < field->fontMetrics().horizontalAdvance(app->scripts.folderPath));

        const QString shown = field->shownText();
        QVERIFY2(shown.contains(u'…'), qPrintable(shown));
        QVERIFY2(shown.startsWith(app->home.path().left(4)), qPrintable(shown));
        QVERIFY2(shown.endsWith(QStringLiteral("Shortcuts")), qPrintable(shown));
        QVERIFY(field->fontMetrics().horizontalAdvance(shown) < field->width());
        QCOMPARE(field->toolTip(), app->scripts.folderPath);
        QCOMPARE(field->text(), app->scripts.folderPath);
        Screenshots::save(setup, QStringLiteral("focus-settings-long-folder-path"));

        field->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(field->hasFocus());
        QCOMPARE(field->shownText(), app->scripts.folderPath);
        field->selectAll();
        QCOMPARE(field->selectedText(), app->scripts.folderPath);

        // A short path is shown whole.
        field->clearFocus();
        field->setText(QStringLiteral("/home/a"));
        QCOMPARE(field->shownText(), QStringLiteral("/home/a"));
        QCOMPARE(field->toolTip(), QStringLiteral("/home/a"));
    }
};

QTEST_MAIN(TestFocusSettings)
#include "tst_FocusSettings.moc"
