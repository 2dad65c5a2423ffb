#include "Models/Clipboard/ClipboardItem.h"
#include "Services/Clipboard/ClipboardSearch.h"

#include <QTest>

#include <sqlite3.h>

#include <memory>

class TestSearchFolding final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The scan folds every character of the Basic Multilingual Plane, and a sample beyond it,
    // as searchFolded() does: alone, beside capitals, after a letter a mark composes with, and
    // followed by marks, a Hangul final letter or a mark that is ordered among marks; texts that
    // mix scripts, and bytes that are not well-formed UTF-8, too.
    void theScanFoldsAsTheSearchDoes()
    {
        sqlite3 *handle = nullptr;
        QCOMPARE(sqlite3_open(":memory:", &handle), SQLITE_OK);
        const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> closer(handle, &sqlite3_close);
        QVERIFY(ClipboardSearch::install(handle));
        sqlite3_stmt *statement = nullptr;
        QCOMPARE(sqlite3_prepare_v2(handle, "SELECT contains_folded(?, ?)", -1, &statement, nullptr), SQLITE_OK);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> finisher(statement, &sqlite3_finalize);
        // The whole text's fold, between brackets, is found only where the scan folds it alike.
        const auto storedFoldsAlike = [statement](const QByteArray &stored, const QString &text) {
            const QByteArray folded = ClipboardItem::searchFolded(text).toUtf8();
            sqlite3_reset(statement);
            sqlite3_bind_text(statement, 1, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(statement, 2, stored.constData(), int(stored.size()), SQLITE_TRANSIENT);
            return sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) == 1;
        };
        const auto foldsAlike = [&](const QString &text) { return storedFoldsAlike(text.toUtf8(), text); };
        const QStringList marks { QString(), QStringLiteral("\u0301"), QStringLiteral("\u0308\u0327"),
            QStringLiteral("\u0345"), QStringLiteral("\u05B0"), QStringLiteral("\u064B"), QStringLiteral("\u20DD"),
            QStringLiteral("\u302A\u0316"), QStringLiteral("\u11A8"), QStringLiteral("\U0001D165\U0001D167") };
        const auto foldsAloneAndAmong = [&](char32_t c) {
            const QString character = QString::fromUcs4(&c, 1);
            if (!foldsAlike(QLatin1Char('<') + character + QLatin1Char('>')))
                return false;
            for (const QString &after : marks) {
                if (!foldsAlike(QStringLiteral("<Ae") + character + after + QStringLiteral("Z>")))
                    return false;
            }
            return true;
        };
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            if (c < 0xD800 || c >= 0xE000)
                QVERIFY2(foldsAloneAndAmong(c), qPrintable(QString::number(c, 16)));
        }
        // Every character of the planes' busiest blocks, and some of all the others.
        for (char32_t c = 0x10000; c < 0x110000; c += (c >= 0x1D100 && c < 0x1F700) ? 1 : 61)
            QVERIFY2(foldsAloneAndAmong(c), qPrintable(QString::number(c, 16)));

        for (const QString &text : { QStringLiteral("<E\u0301 \u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3 \u01C4 \uFB01 "
                                                    "\u00DF \u0130>"),
                 QStringLiteral("<Caf\u00E9 \uD55C\uAD6D\uC5B4 \uFF26\uFF35\uFF2C\uFF2C>"),
                 QStringLiteral("<\u1100\u1161 \u00D1 \uAC00\u11A8 \u3131\u314F>"),
                 QStringLiteral("<\u03A9 \U0001F600 \u0178>"),
                 QStringLiteral("<\u201CQuoted\u201D \u2014 it\u2019s \u20AC12\u2026 \U0001F44D\uFE0F>"),
                 QStringLiteral("<\u6771\u4EAC\u30BF\u30EF\u30FC \uFF71\uFF72 \u3300 \u2460 \u00BD>"),
                 QStringLiteral("<\u0E02\u0E2D\u0E1A\u0E04\u0E38\u0E13 \u0928\u092E\u0938\u094D\u0924\u0947 "
                                "\U0001D400\U0001D56B \U00010400>"),
                 QStringLiteral("\uFEFF<bom \u1B05\u1B44\u1B34>"), QStringLiteral("<\U0001D16D\U0001D165>") })
            QVERIFY2(foldsAlike(text), qPrintable(text));
        // Bytes QString reads as replacement characters.
        for (const QByteArray &stored :
            { QByteArray("<a\xE2\x80"), QByteArray("<\xE0\x80\x80>"), QByteArray("<\xED\xA0\x80>"),
                QByteArray("<\xF5\x80\x80\x80>"), QByteArray("<\xF4\x90\x80\x80>"), QByteArray("<\x80\xC3\xA9>"),
                QByteArray("<\xC3(>"), QByteArray("<\xC3\xC3>"), QByteArray("<\xE2\x82\xC3>") })
            QVERIFY2(storedFoldsAlike(stored, QString::fromUtf8(stored)), stored.toHex().constData());
    }
};

QTEST_GUILESS_MAIN(TestSearchFolding)
#include "tst_SearchFolding.moc"
