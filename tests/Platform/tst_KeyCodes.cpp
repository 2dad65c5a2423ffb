#include "Platform/KeyCodes.h"

#include <QSet>
#include <QTest>

class TestKeyCodes final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyPositionRoundTrips()
    {
        QSet<quint32> seen;
        int known = 0;
        for (qint64 keyCode = 0; keyCode < 128; ++keyCode) {
            const auto x11 = KeyCodes::x11KeyCode(keyCode);
            if (!x11)
                continue;
            ++known;
            QVERIFY2(!seen.contains(*x11), qPrintable(QStringLiteral("two keys on X code %1").arg(*x11)));
            seen.insert(*x11);
            QVERIFY(*x11 >= 8 && *x11 <= 255);
            QCOMPARE(KeyCodes::fromX11KeyCode(*x11), std::optional<qint64>(keyCode));
        }
        QVERIFY(known >= 90); // letters, digits, punctuation, keypad, F1–F19, arrows, editing keys
        QCOMPARE(KeyCodes::fromX11KeyCode(0), std::nullopt);
        QCOMPARE(KeyCodes::x11KeyCode(-1), std::nullopt);
    }

    void knownPositions_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<quint32>("x11");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<QString>("usText");
        QTest::newRow("T") << qint64(17) << 28u << int(Qt::Key_T) << QStringLiteral("t");
        QTest::newRow("F") << qint64(3) << 41u << int(Qt::Key_F) << QStringLiteral("f");
        QTest::newRow("1") << qint64(18) << 10u << int(Qt::Key_1) << QStringLiteral("1");
        QTest::newRow("grave") << qint64(50) << 49u << int(Qt::Key_QuoteLeft) << QStringLiteral("`");
        QTest::newRow("space") << qint64(49) << 65u << int(Qt::Key_Space) << QStringLiteral(" ");
        QTest::newRow("return") << qint64(36) << 36u << int(Qt::Key_Return) << QString();
        QTest::newRow("delete") << qint64(51) << 22u << int(Qt::Key_Backspace) << QString();
        QTest::newRow("forward delete") << qint64(117) << 119u << int(Qt::Key_Delete) << QString();
        QTest::newRow("F1") << qint64(122) << 67u << int(Qt::Key_F1) << QString();
        QTest::newRow("F19") << qint64(80) << 197u << int(Qt::Key_F19) << QString();
        QTest::newRow("left") << qint64(123) << 113u << int(Qt::Key_Left) << QString();
        QTest::newRow("escape") << qint64(53) << 9u << int(Qt::Key_Escape) << QString();
    }
    void knownPositions()
    {
        QFETCH(qint64, keyCode);
        QFETCH(quint32, x11);
        QFETCH(int, qtKey);
        QFETCH(QString, usText);
        QCOMPARE(KeyCodes::x11KeyCode(keyCode), std::optional<quint32>(x11));
        QCOMPARE(KeyCodes::fromQtKey(qtKey), std::optional<qint64>(keyCode));
        QCOMPARE(KeyCodes::usText(keyCode), usText);
    }

    void shiftedSymbolsFindTheirKey()
    {
        QCOMPARE(KeyCodes::fromQtKey(Qt::Key_Exclam), std::optional<qint64>(18));
        QCOMPARE(KeyCodes::fromQtKey(Qt::Key_Question), std::optional<qint64>(44));
        QCOMPARE(KeyCodes::fromQtKey(Qt::Key_Backtab), std::optional<qint64>(48));
        QCOMPARE(KeyCodes::fromQtKey(Qt::Key_VolumeUp), std::nullopt);
    }

    void keysymText_data()
    {
        QTest::addColumn<quint32>("keysym");
        QTest::addColumn<QString>("text");
        QTest::newRow("latin letter") << 0x74u << QStringLiteral("t");
        QTest::newRow("latin-1") << 0xe9u << QStringLiteral("é");
        QTest::newRow("unicode") << 0x010020acu << QStringLiteral("€");
        QTest::newRow("beyond the BMP") << 0x0101f600u << QStringLiteral("😀");
        QTest::newRow("keypad digit") << 0xffb5u << QStringLiteral("5");
        QTest::newRow("escape") << 0xff1bu << QString();
        QTest::newRow("dead key") << 0xfe50u << QString();
    }
    void keysymText()
    {
        QFETCH(quint32, keysym);
        QFETCH(QString, text);
        QCOMPARE(KeyCodes::keysymText(keysym), text);
    }
};

QTEST_GUILESS_MAIN(TestKeyCodes)
#include "tst_KeyCodes.moc"
