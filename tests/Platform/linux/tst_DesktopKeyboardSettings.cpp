#include "Platform/linux/DesktopKeyboardSettings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Shortcuts = QList<QKeyCombination>;

namespace {

constexpr Qt::KeyboardModifiers superShift = Qt::MetaModifier | Qt::ShiftModifier;

} // namespace

class TestDesktopKeyboardSettings final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachDesktopsFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Shortcuts>("expected");
        QTest::newRow("gsettings") << QStringLiteral("gnome")
                                   << QByteArray(
                                          "org.gnome.desktop.wm.keybindings maximize ['<Super>Up', '<Alt>F10']\n"
                                          "org.gnome.desktop.wm.keybindings minimize @as []\n"
                                          "org.gnome.desktop.wm.keybindings show-desktop ['<Primary><Super>d']\n"
                                          "org.gnome.settings-daemon.plugins.media-keys screenshot ['Print']\n"
                                          "org.gnome.settings-daemon.plugins.media-keys volume-mute ['XF86AudioMute']\n"
                                          "org.gnome.shell.keybindings toggle ['<Super><Shift>f', '<Hyper>x']\n")
                                   << Shortcuts { QKeyCombination(Qt::MetaModifier, Qt::Key_Up),
                                          QKeyCombination(Qt::AltModifier, Qt::Key_F10),
                                          QKeyCombination(Qt::ControlModifier | Qt::MetaModifier, Qt::Key_D),
                                          QKeyCombination(Qt::Key_Print), QKeyCombination(superShift, Qt::Key_F) };
        QTest::newRow("xfconf")
            << QStringLiteral("xfce")
            << QByteArray("<?xml version=\"1.0\"?>\n<channel name=\"xfce4-keyboard-shortcuts\" version=\"1.0\">\n"
                          " <property name=\"commands\" type=\"empty\">\n"
                          "  <property name=\"default\" type=\"empty\">\n"
                          "   <property name=\"&lt;Alt&gt;F2\" type=\"string\" value=\"xfce4-appfinder\"/>\n"
                          "  </property>\n"
                          "  <property name=\"custom\" type=\"empty\">\n"
                          "   <property name=\"&lt;Super&gt;&lt;Shift&gt;f\" type=\"string\" value=\"thunar\"/>\n"
                          "   <property name=\"override\" type=\"bool\" value=\"true\"/>\n"
                          "  </property>\n </property>\n"
                          " <property name=\"xfwm4\" type=\"empty\">\n"
                          "  <property name=\"custom\" type=\"empty\">\n"
                          "   <property name=\"&lt;Primary&gt;&lt;Alt&gt;Left\" type=\"string\" value=\"left\"/>\n"
                          "  </property>\n </property>\n</channel>\n")
            << Shortcuts { QKeyCombination(superShift, Qt::Key_F),
                   QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Left) };
        QTest::newRow("kglobalshortcutsrc")
            << QStringLiteral("kde")
            << QByteArray("[kwin]\n_k_friendly_name=KWin\nExpose=Ctrl+F9,Ctrl+F9,Toggle Present Windows\n"
                          "Window Close=Alt+F4\tMeta+Shift+F,Alt+F4,Close Window\nShow Desktop=none,,Peek\n")
            << Shortcuts { QKeyCombination(Qt::ControlModifier, Qt::Key_F9),
                   QKeyCombination(Qt::AltModifier, Qt::Key_F4), QKeyCombination(superShift, Qt::Key_F) };
        QTest::newRow("openbox rc.xml")
            << QStringLiteral("openbox")
            << QByteArray("<openbox_config><keyboard><chainQuitKey>C-g</chainQuitKey>"
                          "<keybind key=\"W-S-f\"><action name=\"Execute\"/></keybind>"
                          "<keybind key=\"C-A-Left\"/><keybind key=\"C-a b\"/><keybind key=\"A-space\"/>"
                          "<keybind key=\"C--\"/><keybind key=\"H-x\"/></keyboard></openbox_config>")
            << Shortcuts { QKeyCombination(superShift, Qt::Key_F),
                   QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Left),
                   QKeyCombination(Qt::ControlModifier, Qt::Key_A), QKeyCombination(Qt::AltModifier, Qt::Key_Space),
                   QKeyCombination(Qt::ControlModifier, Qt::Key_Minus) };
    }

    void eachDesktopsFormat()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, text);
        QFETCH(Shortcuts, expected);
        Shortcuts read;
        if (format == QLatin1String("gnome"))
            read = DesktopKeyboardSettings::fromGtkAccelerators(QString::fromUtf8(text));
        else if (format == QLatin1String("xfce"))
            read = DesktopKeyboardSettings::fromXfceChannel(text);
        else if (format == QLatin1String("kde"))
            read = DesktopKeyboardSettings::fromKdeGlobalShortcuts(QString::fromUtf8(text));
        else
            read = DesktopKeyboardSettings::fromOpenboxConfig(text);
        QCOMPARE(read, expected);
    }

    void combinationsMatchTheirKeys_data()
    {
        QTest::addColumn<QKeyCombination>("shortcut");
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<bool>("matches");
        // Key codes: 3 F, 17 T, 49 Space, 96 F5, 123 Left; Command 0x100 is Super.
        QTest::newRow("⇧⌘F") << QKeyCombination(superShift, Qt::Key_F) << 3u << 0x300u << true;
        QTest::newRow("other letter") << QKeyCombination(superShift, Qt::Key_F) << 17u << 0x300u << false;
        QTest::newRow("fewer modifiers") << QKeyCombination(Qt::MetaModifier, Qt::Key_F) << 3u << 0x300u << false;
        QTest::newRow("⌃⌥←") << QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Left) << 123u << 0x1800u
                             << true;
        QTest::newRow("⌥Space") << QKeyCombination(Qt::AltModifier, Qt::Key_Space) << 49u << 0x800u << true;
        QTest::newRow("F5") << QKeyCombination(Qt::Key_F5) << 96u << 0u << true;
    }

    void combinationsMatchTheirKeys()
    {
        QFETCH(QKeyCombination, shortcut);
        QFETCH(quint32, keyCode);
        QFETCH(quint32, modifiers);
        QFETCH(bool, matches);
        QCOMPARE(DesktopKeyboardSettings::matches(shortcut, keyCode, modifiers), matches);
    }

    // GNOME's settings come from gsettings, which may be slow to answer or never answer: a read
    // returns at once, a second one joins it, and its answer comes through `answered`; one that
    // never comes is given up after a while, with nothing listed.
    void gnomeAnswersLaterOrNever_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("listed");
        QTest::newRow("gsettings answers")
            << QByteArray("#!/bin/sh\necho \"org.gnome.desktop.wm.keybindings move ['<Primary><Alt>Left']\"\n") << true;
        QTest::newRow("gsettings never answers") << QByteArray("#!/bin/sh\nexec sleep 60\n") << false;
    }

    void gnomeAnswersLaterOrNever()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, listed);
        QTemporaryDir bin;
        QFile gsettings(bin.filePath(QStringLiteral("gsettings")));
        QVERIFY(gsettings.open(QIODevice::WriteOnly) && gsettings.write(script) == script.size());
        gsettings.close();
        QVERIFY(gsettings.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP");
        const auto restored = qScopeGuard([&] {
            qputenv("PATH", path);
            qputenv("XDG_CURRENT_DESKTOP", desktop);
        });
        qputenv("PATH", bin.path().toUtf8() + ':' + path);
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");

        DesktopKeyboardSettings settings;
        QSignalSpy answered(&settings, &DesktopShortcuts::answered);
        QElapsedTimer waited;
        waited.start();
        settings.read();
        settings.read();
        QVERIFY2(waited.elapsed() < 500, qPrintable(QStringLiteral("waited %1 ms").arg(waited.elapsed())));
        QVERIFY(answered.wait(int(DesktopKeyboardSettings::answerTime.count()) + 5000));
        QCOMPARE(answered.size(), 1);
        // Ctrl+Alt+Left: key code 123, Control 0x1000 and Option 0x800.
        QCOMPARE(settings.lists(123, 0x1800), listed);
    }
};

QTEST_GUILESS_MAIN(TestDesktopKeyboardSettings)
#include "tst_DesktopKeyboardSettings.moc"
