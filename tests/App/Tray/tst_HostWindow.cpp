#include "App/PlatformWidgets/AlertBox.h"
#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"
#include "App/SettingsWindowController.h"
#include "App/Tray/HostWindow.h"
#include "Components/Theme/Symbols.h"
#include "TestHome.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

namespace {

// Two screens side by side, as small as Vemra meets them: 1366×768 and 1280×800.
const QRect small(0, 0, 1366, 768);
const QRect eightHundred(1366, 0, 1280, 800);

// A pane whose content grows, as the Focus pane does when its setup guide opens.
class GrowingPane final : public QWidget
{
public:
    explicit GrowingPane(int height)
        : m_height(height)
    {
        setFixedWidth(520);
    }
    QSize sizeHint() const override { return { 520, m_height }; }
    void setHeight(int height)
    {
        m_height = height;
        updateGeometry();
    }

private:
    int m_height;
};

QScreen *screenAt(const QRect &rect)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry() == rect)
            return screen;
    }
    return nullptr;
}

} // namespace

class TestHostWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!screenAt(small) || !screenAt(eightHundred))
            QSKIP("needs the offscreen platform with this test's two screens");
        Symbols::useIconTheme();
    }

    // The settings window grown by its pane after it was placed, on either tray edge (the tray
    // reserving its strut at the top or at the bottom of the screen).
    void fitted_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QSize>("smallest");
        QTest::addColumn<bool>("resizable");
        QTest::addColumn<QRect>("expected");
        const QSize fixed(520, 637);
        // Placed for a shorter pane, then grown downwards by the setup guide: 17 px past the edge.
        QTest::newRow("1366×768, tray at the bottom")
            << QRect(423, 116, 520, 637) << QRect(0, 0, 1366, 736) << fixed << false << QRect(423, 99, 520, 637);
        QTest::newRow("1366×768, tray at the top")
            << QRect(423, 148, 520, 637) << QRect(0, 32, 1366, 736) << fixed << false << QRect(423, 131, 520, 637);
        QTest::newRow("800 px, tray at the bottom")
            << QRect(380, 150, 520, 637) << QRect(0, 0, 1280, 768) << fixed << false << QRect(380, 131, 520, 637);
        QTest::newRow("800 px, tray at the top")
            << QRect(380, 180, 520, 637) << QRect(0, 32, 1280, 768) << fixed << false << QRect(380, 163, 520, 637);
        QTest::newRow("inside already") << QRect(10, 40, 520, 637) << QRect(0, 32, 1280, 768) << fixed << false
                                        << QRect(10, 40, 520, 637);
        QTest::newRow("past the right and the top") << QRect(1000, 0, 520, 300) << QRect(0, 32, 1280, 768)
                                                    << QSize(520, 300) << false << QRect(760, 32, 520, 300);
        // The expanded window can shrink to its least size: it takes the area's height.
        QTest::newRow("resizable and taller than the area") << QRect(400, 20, 560, 1085) << QRect(0, 32, 1366, 736)
                                                            << QSize(420, 545) << true << QRect(400, 32, 560, 736);
        // Centred as 560×700 with openbox's frame, on screens smaller than its least size in the
        // application's units: it gives way to the area.
        QTest::newRow("1366×768 at 1.5, tray at the bottom") << QRect(174, -119, 562, 718) << QRect(0, 0, 911, 491)
                                                             << QSize(422, 538) << true << QRect(174, 0, 562, 491);
        QTest::newRow("1920×1080 at 2, tray at the top") << QRect(199, -82, 562, 713) << QRect(0, 16, 960, 524)
                                                         << QSize(422, 533) << true << QRect(199, 16, 562, 524);
        QTest::newRow("narrower than its least width")
            << QRect(-50, 10, 562, 400) << QRect(0, 0, 400, 600) << QSize(422, 300) << true << QRect(0, 10, 400, 400);
        // A fixed window taller than the area keeps its title bar in reach.
        QTest::newRow("fixed and taller than the area") << QRect(400, 100, 520, 900) << QRect(0, 0, 1366, 736)
                                                        << QSize(520, 900) << false << QRect(400, 0, 520, 900);
    }

    void fitted()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, area);
        QFETCH(QSize, smallest);
        QFETCH(bool, resizable);
        QFETCH(QRect, expected);
        QCOMPARE(HostWindow::fitted(frame, area, smallest, resizable), expected);
    }

    void theSettingsWindowStaysOnItsScreenAsItGrows_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<bool>("reducesMotion");
        QTest::newRow("1366×768") << small << false;
        QTest::newRow("1366×768, reduced motion") << small << true;
        QTest::newRow("800 px") << eightHundred << false;
    }

    void theSettingsWindowStaysOnItsScreenAsItGrows()
    {
        QFETCH(QRect, screen);
        QFETCH(bool, reducesMotion);
        TestHome home;
        QMap<SettingsPane, GrowingPane *> panes;
        SettingsWindowController settings([&panes](SettingsPane pane) {
            auto *view = new GrowingPane(300);
            panes[pane] = view;
            return view;
        });
        settings.setReducesMotion(reducesMotion);
        settings.window()->setScreen(screenAt(screen));
        settings.window()->move(screen.topLeft());
        settings.show(SettingsPane::Focus);
        HostWindow *window = settings.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->screen()->geometry(), screen);
        const QRect area = window->screen()->availableGeometry();
        QVERIFY(area.contains(window->frameGeometry()));

        // Centred for 300 px, the setup guide then makes the pane 611 px tall.
        panes[SettingsPane::Focus]->setHeight(611);
        QTRY_VERIFY(!settings.isResizing() && window->height() > 611);
        QVERIFY2(area.contains(window->frameGeometry()),
            qPrintable(QStringLiteral("%1,%2 %3×%4")
                           .arg(window->frameGeometry().x())
                           .arg(window->frameGeometry().y())
                           .arg(window->frameGeometry().width())
                           .arg(window->frameGeometry().height())));
        QCOMPARE(window->frameGeometry().bottom(), area.bottom());
    }

    void theExpandedWindowStaysOnItsScreenAsItGrows()
    {
        HostWindow window;
        auto *content = new QWidget;
        content->setMinimumSize(420, 520);
        window.setContent(content);
        window.setScreen(screenAt(small));
        window.resize(560, 600);
        window.centreOnScreen();
        window.bringToFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect area = window.screen()->availableGeometry();

        // Its content asks for more height than is left below it.
        content->setMinimumHeight(740);
        QTRY_VERIFY(window.height() >= 740);
        QVERIFY(area.contains(window.frameGeometry()));

        // A drag of the user's past the edge is theirs.
        window.move(area.right() - 100, 0);
        QTest::qWait(20);
        QCOMPARE(window.frameGeometry().left(), area.right() - 100);
    }

    // A screen smaller than the window's least size (a scaled one: 1366×768 at 1.5 is 911×512):
    // the window gives way, and all of it is on the screen from its first showing.
    void aResizableWindowFitsAScreenSmallerThanItsLeastSize_data()
    {
        QTest::addColumn<QSize>("least");
        QTest::addColumn<QSize>("first");
        QTest::newRow("least taller than the screen") << QSize(420, 900) << QSize(560, 900);
        QTest::newRow("first size taller") << QSize(420, 520) << QSize(560, 1050);
        QTest::newRow("least wider and taller") << QSize(1500, 900) << QSize(1500, 900);
    }

    void aResizableWindowFitsAScreenSmallerThanItsLeastSize()
    {
        QFETCH(QSize, least);
        QFETCH(QSize, first);
        HostWindow window;
        auto *content = new QWidget;
        content->setMinimumSize(least);
        window.setContent(content);
        window.setScreen(screenAt(small));
        window.resize(first);
        window.centreOnScreen();
        window.bringToFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect area = window.screen()->availableGeometry();
        QTRY_VERIFY2(area.contains(window.frameGeometry()),
            qPrintable(QStringLiteral("%1,%2 %3×%4")
                           .arg(window.frameGeometry().x())
                           .arg(window.frameGeometry().y())
                           .arg(window.frameGeometry().width())
                           .arg(window.frameGeometry().height())));
    }

    void anAlertStaysOnTheScreenOfTheWindowItComesFrom()
    {
        HostWindow window;
        window.setContent(new QWidget);
        window.setScreen(screenAt(eightHundred));
        window.resize(520, 300);
        window.move(eightHundred.right() - 530, eightHundred.bottom() - 310);
        window.bringToFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QRect shown;
        QRect area;
        QTimer::singleShot(0, this, [&] {
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(qobject_cast<AlertBox *>(box));
            QVERIFY(QTest::qWaitForWindowExposed(box));
            shown = box->frameGeometry();
            area = box->screen()->availableGeometry();
            box->close();
        });
        Alert alert;
        alert.title = QStringLiteral("Vemra couldn’t save your latest change.");
        alert.informativeText = QStringLiteral("Your todos are still here.\n\nThe disk is full.");
        MessageBoxAlertPresenter presenter;
        presenter.present(alert);
        QVERIFY(!shown.isEmpty());
        QVERIFY(area.contains(shown));
    }
};

int main(int argc, char **argv)
{
    // The offscreen platform takes its screens from a file.
    QTemporaryFile screens;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screens.open()) {
        const auto describe = [](const QRect &r, const char *name) {
            return QStringLiteral(R"({"name": "%1", "x": %2, "y": %3, "width": %4, "height": %5, "logicalDpi": 96})")
                .arg(QLatin1String(name))
                .arg(r.x())
                .arg(r.y())
                .arg(r.width())
                .arg(r.height());
        };
        screens.write(QStringLiteral(R"({"screens": [%1, %2]})")
                          .arg(describe(small, "small"), describe(eightHundred, "eightHundred"))
                          .toUtf8());
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    }
    QApplication app(argc, argv);
    TestHostWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_HostWindow.moc"
