#include "Services/Shell/Surface.h"

#include <QSignalSpy>
#include <QTest>

class TestSurface final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshSurface()
    {
        Surface surface;
        QCOMPARE(surface.tab(), VemraTab::Todos);
        QVERIFY(!surface.isVisible());
        QCOMPARE(surface.focusRequest(), 0);
    }

    void onlyRealChangesNotify()
    {
        Surface surface;
        QSignalSpy tab(&surface, &Surface::tabChanged);
        QSignalSpy visible(&surface, &Surface::isVisibleChanged);
        QSignalSpy focus(&surface, &Surface::focusRequestChanged);

        surface.setTab(VemraTab::Todos);
        surface.setVisible(false);
        QCOMPARE(tab.count() + visible.count(), 0);

        surface.setTab(VemraTab::Focus);
        surface.setTab(VemraTab::Focus);
        surface.setVisible(true);
        surface.setVisible(true);
        QCOMPARE(tab.count(), 1);
        QCOMPARE(tab.at(0).at(0).value<VemraTab>(), VemraTab::Focus);
        QCOMPARE(visible.count(), 1);

        // Every request counts, even one after another.
        surface.requestInputFocus();
        surface.requestInputFocus();
        QCOMPARE(focus.count(), 2);
        QCOMPARE(surface.focusRequest(), 2);
        QCOMPARE(focus.at(1).at(0).toInt(), 2);
    }

    void tabsAndPanesByStoredValue_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<bool>("isTab");
        QTest::addColumn<bool>("isPane");
        QTest::newRow("todos") << QStringLiteral("todos") << true << false;
        QTest::newRow("clipboard") << QStringLiteral("clipboard") << true << true;
        QTest::newRow("focus") << QStringLiteral("focus") << true << true;
        QTest::newRow("general") << QStringLiteral("general") << false << true;
        QTest::newRow("data") << QStringLiteral("data") << false << true;
        QTest::newRow("about") << QStringLiteral("about") << false << true;
        QTest::newRow("capitalised") << QStringLiteral("Todos") << false << false;
        QTest::newRow("empty") << QString() << false << false;
    }

    void tabsAndPanesByStoredValue()
    {
        QFETCH(QString, raw);
        QFETCH(bool, isTab);
        QFETCH(bool, isPane);
        const auto tab = VemraTabs::fromStoredValue(raw);
        QCOMPARE(tab.has_value(), isTab);
        if (tab)
            QCOMPARE(VemraTabs::storedValue(*tab), raw);
        const auto pane = SettingsPanes::fromStoredValue(raw);
        QCOMPARE(pane.has_value(), isPane);
        if (pane)
            QCOMPARE(SettingsPanes::storedValue(*pane), raw);
    }
};

QTEST_GUILESS_MAIN(TestSurface)
#include "tst_Surface.moc"
