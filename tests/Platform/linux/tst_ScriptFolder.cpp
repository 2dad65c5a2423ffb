#include "Platform/linux/ScriptFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <qcoro/qcorotask.h>

#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Outcome = UserScripts::Run::Outcome;
using Problem = UserScripts::Problem;

namespace {

// Runs a task to its end on this thread's event loop.
template <typename T> T wait(QCoro::Task<T> task)
{
    return QCoro::waitFor(std::move(task));
}

// A process that no longer runs: gone, or a zombie nobody reaped.
bool isGone(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return true;
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    return stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z ");
}

// Every group has other members.
class SharedGroups final : public UserGroups
{
public:
    bool isPrivateGroup(gid_t) const override { return false; }
};

} // namespace

class TestScriptFolder final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString write(const QString &name, const QByteArray &body,
        QFile::Permissions permissions = QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner)
    {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write a script");
        file.write("#!/bin/sh\n" + body + '\n');
        file.close();
        file.setPermissions(permissions);
        return path;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void runs_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("prints") << QByteArray("echo '  Work  '") << Outcome::Exited << 0 << QByteArray("  Work  \n");
        QTest::newRow("fails") << QByteArray("echo no; exit 3") << Outcome::Exited << 3 << QByteArray("no\n");
        QTest::newRow("signalled") << QByteArray("kill -KILL $$") << Outcome::Signalled << 0 << QByteArray();
        QTest::newRow("no input, errors dropped")
            << QByteArray("cat; echo oops >&2; echo done") << Outcome::Exited << 0 << QByteArray("done\n");
        QTest::newRow("no arguments, own group, in its folder")
            << QByteArray("echo $# $(sed 's/.*) //' /proc/$$/stat | cut -d' ' -f3) $$; basename \"$(pwd)\"")
            << Outcome::Exited << 0 << QByteArray("OWN");
    }

    void runs()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, output);
        write(u"Vemra Focus Status"_s, body);
        ScriptFolder folder(m_dir->path());
        const UserScripts::Run run = wait(folder.run(u"Vemra Focus Status"_s, 10s));
        QTEST(run.outcome, "outcome");
        QTEST(run.exitCode, "exitCode");
        if (output == "OWN") {
            const QList<QByteArray> words = run.output.split('\n').first().split(' ');
            QCOMPARE(words.value(0), QByteArray("0"));
            QCOMPARE(words.value(1), words.value(2)); // its process group is its own id
            QCOMPARE(run.output.split('\n').value(1), QFileInfo(m_dir->path()).fileName().toUtf8());
            return;
        }
        QCOMPARE(run.output, output);
    }

    void timeOutEndsTheWholeGroup()
    {
        const QString pidFile = m_dir->filePath(u"child"_s);
        write(u"Vemra Focus On"_s, "sleep 100 &\necho $! > '" + pidFile.toUtf8() + "'\nsleep 100");
        ScriptFolder folder(m_dir->path());
        QElapsedTimer timer;
        timer.start();
        const UserScripts::Run run = wait(folder.run(u"Vemra Focus On"_s, 300ms));
        QCOMPARE(run.outcome, Outcome::TimedOut);
        QVERIFY(timer.elapsed() < 5000);
        QFile file(pidFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const pid_t child = file.readAll().trimmed().toInt();
        QVERIFY(child > 0);
        QTRY_VERIFY(isGone(child));
    }

    void outputIsCapped()
    {
        write(u"Vemra Focus Status"_s, "head -c 1048576 /dev/zero | tr '\\0' a");
        ScriptFolder folder(m_dir->path());
        const UserScripts::Run run = wait(folder.run(u"Vemra Focus Status"_s, 10s));
        QVERIFY(run.succeeded());
        QCOMPARE(run.output.size(), ScriptFolder::outputCap);
        QVERIFY(run.output.startsWith("aaaa"));
    }

    void unsafeScriptsAreRefused_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("foreignOwner");
        QTest::addColumn<UserScripts::Problem>("problem");
        QTest::newRow("safe") << 0700 << false << Problem::None;
        QTest::newRow("group may write") << 0770 << false << Problem::ChangeableByOthers;
        QTest::newRow("others may write") << 0702 << false << Problem::ChangeableByOthers;
        QTest::newRow("not executable") << 0600 << false << Problem::NotExecutable;
        QTest::newRow("someone else's") << 0755 << true << Problem::ChangeableByOthers;
    }

    void unsafeScriptsAreRefused()
    {
        QFETCH(int, mode);
        QFETCH(bool, foreignOwner);
        QFETCH(UserScripts::Problem, problem);
        const QString marker = m_dir->filePath(u"ran"_s);
        const QString path = write(u"Vemra Focus Off"_s, "touch '" + marker.toUtf8() + "'");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
        if (foreignOwner && ::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0)
            QSKIP("only root can give a file away");
        // The file's group is shared with other users here, whatever the machine's groups are.
        const SharedGroups groups;
        ScriptFolder folder(m_dir->path(), groups);
        const std::optional<QList<Problem>> checked
            = wait(folder.check({ u"Vemra Focus Off"_s, u"Vemra Focus On"_s }, 5s));
        QCOMPARE(checked, std::optional(QList<Problem> { problem, Problem::Missing }));
        const UserScripts::Run run = wait(folder.run(u"Vemra Focus Off"_s, 5s));
        QCOMPARE(run.outcome, problem == Problem::None ? Outcome::Exited : Outcome::Refused);
        QCOMPARE(run.problem, problem);
        QCOMPARE(QFile::exists(marker), problem == Problem::None);
    }

    // The system's refusal to start a script comes back at once, not at the time-out.
    void failedStartIsReportedAtOnce_data()
    {
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<UserScripts::Problem>("problem");
        QTest::newRow("no #! on line 1") << QByteArray("# Vemra Focus On\n#!/bin/sh") << Problem::NoInterpreterLine;
        QTest::newRow("missing interpreter") << QByteArray("#!/no/such/sh") << Problem::MissingInterpreter;
        QTest::newRow("interpreter no program") << QByteArray("#!INTERPRETER") << Problem::None;
    }

    void failedStartIsReportedAtOnce()
    {
        QFETCH(QByteArray, firstLine);
        QFETCH(UserScripts::Problem, problem);
        const QString interpreter = write(u"interpreter"_s, "echo not a program");
        QFile::resize(interpreter, 0);
        const QString path = m_dir->filePath(u"Vemra Focus On"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(firstLine.replace("INTERPRETER", QFile::encodeName(interpreter)) + "\nexit 0\n");
        file.close();
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0700), 0);
        ScriptFolder folder(m_dir->path());
        QCOMPARE(ScriptFolder::startProblemOf(path), problem);
        QElapsedTimer timer;
        timer.start();
        const UserScripts::Run run = wait(folder.run(u"Vemra Focus On"_s, 60s));
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(run.outcome, Outcome::FailedToStart);
        QCOMPARE(run.problem, problem);
        QVERIFY(!run.error.isEmpty());
    }

    void systemGroupsKeepOtherGroupsShared()
    {
        const SystemUserGroups groups;
        QVERIFY(!groups.isPrivateGroup(::getegid() + 4242));
    }
};

QTEST_GUILESS_MAIN(TestScriptFolder)
#include "tst_ScriptFolder.moc"
