#include "Platform/linux/GtkAnimationSetting.h"

#include <QTest>

#include <optional>

// The desktop's animation switch, as the GTK settings files write it.
class TestGtkAnimationSetting final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTheSwitch_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<std::optional<bool>>("enabled");
        QTest::newRow("turned off") << "[Settings]\ngtk-enable-animations=false\n" << std::optional(false);
        QTest::newRow("zero, spaced") << "[Settings]\n  gtk-enable-animations = 0\n" << std::optional(false);
        QTest::newRow("turned on") << "[Settings]\ngtk-enable-animations=true\n" << std::optional(true);
        QTest::newRow("not set") << "[Settings]\ngtk-theme-name=Adwaita\n" << std::optional<bool>();
        QTest::newRow("other group") << "[Other]\ngtk-enable-animations=false\n" << std::optional<bool>();
        QTest::newRow("unreadable value") << "[Settings]\ngtk-enable-animations=maybe\n" << std::optional<bool>();
        QTest::newRow("empty") << "" << std::optional<bool>();
    }

    void readsTheSwitch()
    {
        QFETCH(QString, ini);
        QFETCH(std::optional<bool>, enabled);
        QCOMPARE(GtkAnimationSetting::animationsEnabled(ini), enabled);
    }
};

QTEST_GUILESS_MAIN(TestGtkAnimationSetting)
#include "tst_GtkAnimationSetting.moc"
