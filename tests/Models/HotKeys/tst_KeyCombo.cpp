#include "Models/HotKeys/KeyCombo.h"
#include "Services/HotKeys/KeyPresses.h"

#include <QKeyEvent>
#include <QTest>

#include <limits>

using Combo = std::optional<KeyCombo>;

class TestKeyCombo final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // As a PC keyboard names the keys, whatever name was stored for a special key.
    void names_data()
    {
        QTest::addColumn<KeyCombo>("combo");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("standard") << KeyCombo::standard() << QStringLiteral("Shift+Super+T")
                                  << QStringLiteral("Shift Super T");
        QTest::newRow("focus") << KeyCombo::focus() << QStringLiteral("Shift+Super+F")
                               << QStringLiteral("Shift Super F");
        QTest::newRow("fallback") << KeyCombo::focusFallback() << QStringLiteral("Ctrl+Alt+Super+F")
                                  << QStringLiteral("Control Alt Super F");
        QTest::newRow("all four in order")
            << KeyCombo { 0, 0x1B00, QStringLiteral("A") } << QStringLiteral("Ctrl+Alt+Shift+Super+A")
            << QStringLiteral("Control Alt Shift Super A");
        QTest::newRow("function key alone")
            << KeyCombo { 96, 0, QStringLiteral("F5") } << QStringLiteral("F5") << QStringLiteral("F5");
        QTest::newRow("return") << KeyCombo { 36, 0x100, QStringLiteral("Return") } << QStringLiteral("Super+Return")
                                << QStringLiteral("Super Return");
        QTest::newRow("return stored as a glyph") << KeyCombo { 36, 0x100, QStringLiteral("↩") }
                                                  << QStringLiteral("Super+Return") << QStringLiteral("Super Return");
        QTest::newRow("page down stored as a glyph")
            << KeyCombo { 121, 0x1000, QStringLiteral("⇟") } << QStringLiteral("Ctrl+Page Down")
            << QStringLiteral("Control Page Down");
        QTest::newRow("space") << KeyCombo { 49, 0x100, QStringLiteral("Space") } << QStringLiteral("Super+Space")
                               << QStringLiteral("Super Space");
    }
    void names()
    {
        QFETCH(KeyCombo, combo);
        QFETCH(QString, display);
        QFETCH(QString, spoken);
        QCOMPARE(combo.displayName(), display);
        QCOMPARE(combo.spokenName(), spoken);
    }

    void keyPress_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<quint32>("scanCode"); // X key code; 0 for an event without one
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<quint32>("nativeModifiers");
        QTest::addColumn<Combo>("expected");
        const int meta = Qt::MetaModifier;
        const int shift = Qt::ShiftModifier;
        QTest::newRow("A alone") << int(Qt::Key_A) << 38u << 0 << 0u << Combo();
        QTest::newRow("shift A") << int(Qt::Key_A) << 38u << shift << 1u << Combo();
        QTest::newRow("F5 alone") << int(Qt::Key_F5) << 71u << 0 << 0u
                                  << Combo(KeyCombo { 96, 0, QStringLiteral("F5") });
        QTest::newRow("shift F5") << int(Qt::Key_F5) << 71u << shift << 1u
                                  << Combo(KeyCombo { 96, 0x200, QStringLiteral("F5") });
        QTest::newRow("super A is upper case")
            << int(Qt::Key_A) << 38u << meta << 0x40u << Combo(KeyCombo { 0, 0x100, QStringLiteral("A") });
        QTest::newRow("shift super 1 is named 1") << int(Qt::Key_Exclam) << 10u << (meta | shift) << 0x41u
                                                  << Combo(KeyCombo { 18, 0x300, QStringLiteral("1") });
        QTest::newRow("shift super 1 without native code")
            << int(Qt::Key_Exclam) << 0u << (meta | shift) << 0u << Combo(KeyCombo { 18, 0x300, QStringLiteral("1") });
        QTest::newRow("super space") << int(Qt::Key_Space) << 65u << meta << 0x40u
                                     << Combo(KeyCombo { 49, 0x100, QStringLiteral("Space") });
        QTest::newRow("super return") << int(Qt::Key_Return) << 36u << meta << 0x40u
                                      << Combo(KeyCombo { 36, 0x100, QStringLiteral("Return") });
        QTest::newRow("super backspace") << int(Qt::Key_Backspace) << 22u << meta << 0x40u
                                         << Combo(KeyCombo { 51, 0x100, QStringLiteral("Backspace") });
        QTest::newRow("caps lock ignored")
            << int(Qt::Key_T) << 28u << meta << (0x40u | 0x02u) << Combo(KeyCombo { 17, 0x100, QStringLiteral("T") });
        QTest::newRow("num lock ignored") << int(Qt::Key_T) << 28u << (meta | shift) << (0x41u | 0x10u)
                                          << Combo(KeyCombo { 17, 0x300, QStringLiteral("T") });
        QTest::newRow("control alt T") << int(Qt::Key_T) << 28u << int(Qt::ControlModifier | Qt::AltModifier) << 0x0Cu
                                       << Combo(KeyCombo { 17, 0x1800, QStringLiteral("T") });
        QTest::newRow("super escape types nothing") << int(Qt::Key_Escape) << 9u << meta << 0x40u << Combo();
        QTest::newRow("unknown key") << int(Qt::Key_VolumeUp) << 0u << meta << 0u << Combo();
    }
    void keyPress()
    {
        QFETCH(int, qtKey);
        QFETCH(quint32, scanCode);
        QFETCH(int, modifiers);
        QFETCH(quint32, nativeModifiers);
        QFETCH(Combo, expected);
        const QKeyEvent event(QEvent::KeyPress, qtKey, Qt::KeyboardModifiers(modifiers), scanCode, 0, nativeModifiers,
            QStringLiteral("x"));
        QCOMPARE(KeyPresses::combo(event), expected);
    }

    void storedForm_data()
    {
        QTest::addColumn<QVariantMap>("dictionary");
        QTest::addColumn<Combo>("expected");
        QTest::addColumn<bool>("fits");
        const QString code = QStringLiteral("keyCode");
        const QString mods = QStringLiteral("modifiers");
        const QString key = QStringLiteral("key");
        QTest::newRow("complete") << QVariantMap { { code, 17 }, { mods, 768 }, { key, QStringLiteral("T") } }
                                  << Combo(KeyCombo::standard()) << true;
        QTest::newRow("extra entries ignored") << QVariantMap { { code, qint64(3) }, { mods, 768u },
            { key, QStringLiteral("F") }, { QStringLiteral("x"), 1 } }
                                               << Combo(KeyCombo::focus()) << true;
        QTest::newRow("empty") << QVariantMap() << Combo() << false;
        QTest::newRow("no key") << QVariantMap { { code, 17 }, { mods, 768 } } << Combo() << false;
        QTest::newRow("key code as string")
            << QVariantMap { { code, QStringLiteral("17") }, { mods, 768 }, { key, QStringLiteral("T") } } << Combo()
            << false;
        QTest::newRow("modifiers as double")
            << QVariantMap { { code, 17 }, { mods, 768.0 }, { key, QStringLiteral("T") } } << Combo() << false;
        QTest::newRow("key code beyond 32 bits")
            << QVariantMap { { code, qint64(0x100000011) }, { mods, 768 }, { key, QStringLiteral("T") } }
            << Combo(KeyCombo { 0x100000011, 768, QStringLiteral("T") }) << false;
        QTest::newRow("negative modifiers") << QVariantMap { { code, 17 }, { mods, -1 }, { key, QStringLiteral("T") } }
                                            << Combo(KeyCombo { 17, -1, QStringLiteral("T") }) << false;
        QTest::newRow("largest registrable")
            << QVariantMap { { code, qint64(std::numeric_limits<quint32>::max()) }, { mods, 0 },
                   { key, QStringLiteral("?") } }
            << Combo(KeyCombo { std::numeric_limits<quint32>::max(), 0, QStringLiteral("?") }) << true;
        QTest::newRow("unsigned beyond 64-bit signed")
            << QVariantMap { { code, std::numeric_limits<quint64>::max() }, { mods, 0 }, { key, QStringLiteral("T") } }
            << Combo() << false;
    }
    void storedForm()
    {
        QFETCH(QVariantMap, dictionary);
        QFETCH(Combo, expected);
        QFETCH(bool, fits);
        const Combo combo = KeyCombo::fromDictionary(dictionary);
        QCOMPARE(combo, expected);
        QCOMPARE(combo && combo->fitsRegistration(), fits);
        if (combo)
            QCOMPARE(KeyCombo::fromDictionary(combo->dictionary()), combo);
    }

    void equalityIncludesTheName()
    {
        const KeyCombo latin { 40, 0x900, QStringLiteral("K") };
        const KeyCombo cyrillic { 40, 0x900, QStringLiteral("Л") };
        QVERIFY(latin != cyrillic);
        QVERIFY(latin.sameKeys(cyrillic));
        QVERIFY(!latin.sameKeys(KeyCombo { 40, 0x100, QStringLiteral("K") }));
        QCOMPARE(KeyCombo::standard().dictionary(),
            (QVariantMap { { QStringLiteral("keyCode"), qint64(17) }, { QStringLiteral("modifiers"), qint64(0x300) },
                { QStringLiteral("key"), QStringLiteral("T") } }));
    }
};

QTEST_GUILESS_MAIN(TestKeyCombo)
#include "tst_KeyCombo.moc"
