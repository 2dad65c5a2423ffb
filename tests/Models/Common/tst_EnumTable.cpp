#include "Models/Clipboard/ClipboardKind.h"
#include "Models/Clipboard/ClipboardPeriod.h"
#include "Models/Shell/Appearance.h"
#include "Models/Shell/SettingsPane.h"
#include "Models/Shell/VemraTab.h"

#include <QSet>
#include <QTest>

namespace {

// Every case of a table comes back from its stored value, and no two cases share one or a
// title: a slip in a table would store one case and read back another.
template <typename Enum, std::size_t N> void checkTable(const EnumTable<Enum, N> &table)
{
    QSet<QString> stored;
    QSet<QString> titles;
    for (Enum value : table.cases()) {
        QCOMPARE(table.fromStoredValue(table.storedValue(value)), std::optional<Enum>(value));
        QVERIFY(!table.storedValue(value).isEmpty() && !table.title(value).isEmpty());
        stored.insert(table.storedValue(value));
        titles.insert(table.title(value));
    }
    QCOMPARE(stored.size(), qsizetype(N));
    QCOMPARE(titles.size(), qsizetype(N));
    QCOMPARE(table.fromStoredValue(table.storedValue(table.cases().front()).toUpper()), std::nullopt);
    QCOMPARE(table.fromStoredValue(QString()), std::nullopt);
}

} // namespace

class TestEnumTable final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTableReadsBackWhatItStores()
    {
        checkTable(VemraTabs::table);
        checkTable(SettingsPanes::table);
        checkTable(Appearances::table);
        checkTable(ClipboardKinds::table);
        checkTable(ClipboardPeriods::table);
    }
};

QTEST_MAIN(TestEnumTable)
#include "tst_EnumTable.moc"
