#include "Platform/linux/ScriptFolder.h"
#include "Services/Focus/ShortcutsFocusSilencer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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

// The group a script file has, as the test says it is.
class StatedGroups final : public UserGroups
{
public:
    explicit StatedGroups(bool isPrivate)
        : m_isPrivate(isPrivate)
    {
    }
    bool isPrivateGroup(gid_t) const override { return m_isPrivate; }

private:
    bool m_isPrivate;
};

} // namespace

// Over real scripts in a temporary folder.
class TestShortcutsFocusSilencer final : public QObject
{
    Q_OBJECT

private:
    void write(const QTemporaryDir &dir, const QString &name, const QByteArray &body,
        const QByteArray &firstLine = "#!/bin/sh", mode_t mode = 0700)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(firstLine + '\n' + body + '\n');
        file.close();
        QCOMPARE(::chmod(QFile::encodeName(file.fileName()).constData(), mode), 0);
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

    // Scripts as users make them (umask 002 gives 775), each fault named for what it is, and a
    // script that cannot start failing at once. Modes are set, never relied on to fail: the
    // group's membership comes from the test.
    void scriptsAsUsersMakeThem_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("privateGroup");
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<QString>("problem"); // empty: ready
        const QByteArray shell = "#!/bin/sh";
        QTest::newRow("775, private group") << 0775 << true << shell << QString();
        QTest::newRow("775, shared group") << 0775 << false << shell << on + u" can be changed by other users"_s;
        QTest::newRow("644") << 0644 << true << shell << on + u" is not executable"_s;
        QTest::newRow("777") << 0777 << true << shell << on + u" can be changed by other users"_s;
        QTest::newRow("no #! on line 1") << 0700 << true << QByteArray("# Vemra Focus On\n#!/bin/sh")
                                         << on + u" can’t start: its first line must begin with #!"_s;
        QTest::newRow("missing interpreter") << 0700 << true << QByteArray("#!/usr/bin/no-such-shell -e")
                                             << on + u" can’t start: the program on its #! line is missing"_s;
    }

    void scriptsAsUsersMakeThem()
    {
        QFETCH(int, mode);
        QFETCH(bool, privateGroup);
        QFETCH(QByteArray, firstLine);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        write(dir, status, "true");
        write(dir, on, "exit 0", firstLine, mode_t(mode));
        write(dir, off, "exit 0");
        const StatedGroups groups(privateGroup);
        ScriptFolder folder(dir.path(), groups);
        ShortcutsFocusSilencer silencer(folder);
        QCOMPARE(wait(silencer.readiness(false)),
            problem.isEmpty() ? FocusSilencerReadiness::ready()
                              : FocusSilencerReadiness::missingShortcuts({}, { problem }));

        QElapsedTimer timer;
        timer.start();
        const Status turnedOn = wait(silencer.turnOnDoNotDisturb());
        QVERIFY(timer.elapsed() < 3000);
        QCOMPARE(turnedOn.ok(), problem.isEmpty());
        if (!turnedOn)
            QCOMPARE(turnedOn.error().message, problem + u'.');
    }

    // The setup check reads the mode once, so a status script that cannot do its job is named,
    // also when only trying to start it tells.
    void readinessRunsTheStatusScript_data()
    {
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("problem"); // how the sentence begins
        QTest::newRow("fails") << QByteArray("#!/bin/sh") << QByteArray("[ -n \"\" ] && echo x")
                               << status + u" failed with status 1"_s;
        // An interpreter that is itself no program: only the system's attempt finds it.
        QTest::newRow("cannot start") << QByteArray("#!INTERPRETER") << QByteArray("true")
                                      << status + u" can’t start: "_s;
    }

    void readinessRunsTheStatusScript()
    {
        QFETCH(QByteArray, firstLine);
        QFETCH(QByteArray, body);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        write(dir, u"interpreter"_s, "echo not a program", "# no #! line");
        write(dir, status, body, firstLine.replace("INTERPRETER", QFile::encodeName(dir.filePath(u"interpreter"_s))));
        write(dir, on, "true");
        write(dir, off, "true");
        ScriptFolder folder(dir.path());
        QElapsedTimer timer;
        timer.start();
        const FocusSilencerReadiness readiness = wait(ShortcutsFocusSilencer(folder).readiness(false));
        QVERIFY(timer.elapsed() < 3000);
        QCOMPARE(readiness.kind(), FocusSilencerReadiness::Kind::MissingShortcuts);
        QVERIFY(readiness.missing().isEmpty());
        QCOMPARE(readiness.problems().size(), 1);
        QVERIFY2(readiness.problems().first().startsWith(problem), qPrintable(readiness.problems().first()));
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
