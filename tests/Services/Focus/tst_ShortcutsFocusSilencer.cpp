#include "Platform/linux/ScriptFolder.h"
#include "Services/Focus/ShortcutsFocusSilencer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
Q_DECLARE_METATYPE(FocusSilencerReadiness)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

// Runs a task to its end on this thread's event loop.
template <typename T> T wait(QCoro::Task<T> task)
{
    std::optional<T> result;
    const auto run = [&]() -> QCoro::Task<> { result.emplace(co_await task); };
    QCoro::waitFor(run());
    return std::move(*result);
}

const QString status = u"Vemra Focus Status"_s;
const QString on = u"Vemra Focus On"_s;
const QString off = u"Vemra Focus Off"_s;

} // namespace

// Over real scripts in a temporary folder.
class TestShortcutsFocusSilencer final : public QObject
{
    Q_OBJECT

private:
    void write(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body + '\n');
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private Q_SLOTS:
    void readiness_data()
    {
        QTest::addColumn<QStringList>("scripts");
        QTest::addColumn<FocusSilencerReadiness>("readiness");
        QTest::newRow("none") << QStringList() << FocusSilencerReadiness::missingShortcuts({ status, on, off });
        QTest::newRow("all, and others") << QStringList { status, on, off, u"Other"_s }
                                         << FocusSilencerReadiness::ready();
        QTest::newRow("off missing") << QStringList { status, on } << FocusSilencerReadiness::missingShortcuts({ off });
        QTest::newRow("name in another case")
            << QStringList { status, u"Vemra Focus on"_s, off } << FocusSilencerReadiness::missingShortcuts({ on });
    }

    void readiness()
    {
        QFETCH(QStringList, scripts);
        QTemporaryDir dir;
        for (const QString &name : scripts)
            write(dir, name, "true");
        ScriptFolder folder(dir.path());
        ShortcutsFocusSilencer silencer(folder);
        QTEST(wait(silencer.readiness(false)), "readiness");
        QCOMPARE(silencer.setupFolder(), dir.path());

        ScriptFolder unreadable(dir.filePath(scripts.value(0, u"x"_s)));
        QCOMPARE(wait(ShortcutsFocusSilencer(unreadable).readiness(true)),
            scripts.isEmpty() ? FocusSilencerReadiness::missingShortcuts({ status, on, off })
                              : FocusSilencerReadiness::unavailable());
    }

    void currentFocus_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<std::optional<QString>>("focus");
        QTest::newRow("a name") << QByteArray("printf '  Do Not Disturb \\r\\nmore\\n'") << false
                                << std::optional(u"Do Not Disturb"_s);
        QTest::newRow("nothing") << QByteArray("true") << false << std::optional<QString>();
        QTest::newRow("white space only") << QByteArray("printf '  \\n\\t\\n'") << false << std::optional<QString>();
        QTest::newRow("on, no name on the first line")
            << QByteArray("printf '\\nWork\\n'") << false << std::optional(u"Focus"_s);
        QTest::newRow("failing") << QByteArray("echo Work; exit 1") << true << std::optional<QString>();
    }

    void currentFocus()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, fails);
        QTemporaryDir dir;
        write(dir, status, body);
        ScriptFolder folder(dir.path());
        ShortcutsFocusSilencer silencer(folder);
        const Result<std::optional<QString>> read = wait(silencer.currentFocus());
        QCOMPARE(!read.ok(), fails);
        if (read)
            QTEST(read.value(), "focus");
        // The switches succeed exactly when their script exits with 0; a missing one fails.
        write(dir, on, "exit 0");
        write(dir, off, "exit 2");
        QVERIFY(wait(silencer.turnOnDoNotDisturb()).ok());
        QVERIFY(!wait(silencer.turnOffDoNotDisturb()).ok());
        QFile::remove(dir.filePath(on));
        QVERIFY(!wait(silencer.turnOnDoNotDisturb()).ok());
    }
};

QTEST_GUILESS_MAIN(TestShortcutsFocusSilencer)
#include "tst_ShortcutsFocusSilencer.moc"
