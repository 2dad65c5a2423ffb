#include "Platform/linux/ScriptFolder.h"

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

    void unsafeScriptsAreMissing_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("foreignOwner");
        QTest::addColumn<bool>("usable");
        QTest::newRow("safe") << 0700 << false << true;
        QTest::newRow("group may write") << 0770 << false << false;
        QTest::newRow("others may write") << 0702 << false << false;
        QTest::newRow("not executable") << 0600 << false << false;
        QTest::newRow("someone else's") << 0755 << true << false;
    }

    void unsafeScriptsAreMissing()
    {
        QFETCH(int, mode);
        QFETCH(bool, foreignOwner);
        QFETCH(bool, usable);
        const QString marker = m_dir->filePath(u"ran"_s);
        const QString path = write(u"Vemra Focus Off"_s, "touch '" + marker.toUtf8() + "'");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
        if (foreignOwner && ::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0)
            QSKIP("only root can give a file away");
        ScriptFolder folder(m_dir->path());
        const std::optional<QStringList> listed
            = wait(folder.usable({ u"Vemra Focus Off"_s, u"Vemra Focus On"_s }, 5s));
        QCOMPARE(listed, std::optional(usable ? QStringList { u"Vemra Focus Off"_s } : QStringList()));
        const UserScripts::Run run = wait(folder.run(u"Vemra Focus Off"_s, 5s));
        QCOMPARE(run.outcome, usable ? Outcome::Exited : Outcome::Missing);
        QCOMPARE(QFile::exists(marker), usable);
    }
};

QTEST_GUILESS_MAIN(TestScriptFolder)
#include "tst_ScriptFolder.moc"
