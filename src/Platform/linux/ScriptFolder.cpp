#include "Platform/linux/ScriptFolder.h"

#include "Platform/Logging.h"

#include <QDir>
#include <QFutureWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcoroprocess.h>
#include <qcoro/qcorosignal.h>
#include <qcoro/qcorotimer.h>

#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Left for a process group to go after it was killed at the time-out.
constexpr std::chrono::milliseconds reapTimeout { 2000 };

// Long enough for any "#!" line the kernel reads.
constexpr qsizetype interpreterLineLength = 256;
// A program that has not started (or failed to) by then is taken as failed to start.
constexpr std::chrono::milliseconds startTimeout { 10'000 };

std::optional<QList<UserScripts::Problem>> problemsIn(
    const QString &folder, const QStringList &names, const UserGroups &groups)
{
    struct stat info
    {
    };
    const QByteArray path = QFile::encodeName(folder);
    if (::stat(path.constData(), &info) != 0) {
        if (errno == ENOENT)
            return QList<UserScripts::Problem>(names.size(), UserScripts::Problem::Missing);
        qCWarning(lcFocus).noquote() << "The scripts folder cannot be read:" << folder << qt_error_string(errno);
        return std::nullopt;
    }
    if (!S_ISDIR(info.st_mode) || ::access(path.constData(), R_OK | X_OK) != 0) {
        qCWarning(lcFocus).noquote() << "The scripts folder is not a readable folder:" << folder;
        return std::nullopt;
    }
    QList<UserScripts::Problem> problems;
    for (const QString &name : names)
        problems << ScriptFolder::problemOf(folder + u'/' + name, groups);
    return problems;
}

// Owns a running script: ends its whole process group when dropped while still running.
struct ProcessDeleter
{
    void operator()(QProcess *process) const
    {
        process->disconnect();
        if (process->state() != QProcess::NotRunning && process->processId() > 0)
            ::kill(-pid_t(process->processId()), SIGKILL);
        process->deleteLater();
    }
};

} // namespace

ScriptFolder::ScriptFolder(QString folder, QObject *parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_groups(m_systemGroups)
{
}

ScriptFolder::ScriptFolder(QString folder, const UserGroups &groups, QObject *parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_groups(groups)
{
}

ScriptFolder::~ScriptFolder()
{
    for (QProcess *process : findChildren<QProcess *>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        if (process->state() != QProcess::NotRunning && process->processId() > 0)
            ::kill(-pid_t(process->processId()), SIGKILL);
    }
}

QString ScriptFolder::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Vemra/Shortcuts");
}

UserScripts::Problem ScriptFolder::problemOf(const QString &path, const UserGroups &groups)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return Problem::Missing;
    const bool othersMayWrite = (info.st_mode & S_IWOTH) != 0;
    const bool groupMayWrite = (info.st_mode & S_IWGRP) != 0 && !groups.isPrivateGroup(info.st_gid);
    if (info.st_uid != ::geteuid() || othersMayWrite || groupMayWrite)
        return Problem::ChangeableByOthers;
    if ((info.st_mode & S_IXUSR) == 0)
        return Problem::NotExecutable;
    return startProblemOf(path);
}

UserScripts::Problem ScriptFolder::startProblemOf(const QString &path)
{
    QFile file(path);
    // Unreadable: the system decides when it runs it.
    if (!file.open(QIODevice::ReadOnly))
        return Problem::None;
    const QByteArray head = file.read(interpreterLineLength);
    if (head.startsWith("\x7f"
                        "ELF"))
        return Problem::None;
    if (!head.startsWith("#!"))
        return Problem::NoInterpreterLine;
    // As the kernel reads it: blanks, then the program up to a blank or the end of the line.
    qsizetype begin = 2;
    while (begin < head.size() && (head[begin] == ' ' || head[begin] == '\t'))
        ++begin;
    qsizetype end = begin;
    while (end < head.size() && head[end] != ' ' && head[end] != '\t' && head[end] != '\n')
        ++end;
    const QByteArray interpreter = head.mid(begin, end - begin);
    if (interpreter.isEmpty())
        return Problem::NoInterpreterLine;
    struct stat info
    {
    };
    if (::stat(interpreter.constData(), &info) != 0 || !S_ISREG(info.st_mode)
        || ::access(interpreter.constData(), X_OK) != 0)
        return Problem::MissingInterpreter;
    return Problem::None;
}

QCoro::Task<std::optional<QList<UserScripts::Problem>>> ScriptFolder::check(
    QStringList names, std::chrono::milliseconds timeout)
{
    // Off the main thread: a folder on a stalled network mount must not freeze the interface.
    auto *watcher = new QFutureWatcher<std::optional<QList<Problem>>>(this);
    const std::unique_ptr<QObject, void (*)(QObject *)> dropWatcher(watcher, [](QObject *o) { o->deleteLater(); });
    watcher->setFuture(QtConcurrent::run(problemsIn, m_folder, names, std::cref(m_groups)));
    auto answered = qCoro(watcher, &QFutureWatcherBase::finished, timeout);
    const auto finished = co_await answered;
    if (!finished) {
        qCWarning(lcFocus).noquote() << "The scripts folder did not answer in time:" << m_folder;
        co_return std::nullopt;
    }
    co_return watcher->result();
}

QCoro::Task<UserScripts::Run> ScriptFolder::run(QString name, std::chrono::milliseconds timeout)
{
    const QString path = m_folder + u'/' + name;
    Run result;
    // Only what the user alone controls is run; whether it can start is the system's to say.
    result.problem = problemOf(path, m_groups);
    if (result.problem != Problem::None && result.problem != Problem::NoInterpreterLine
        && result.problem != Problem::MissingInterpreter) {
        result.outcome = Run::Outcome::Refused;
        co_return result;
    }

    const std::unique_ptr<QProcess, ProcessDeleter> process(new QProcess(this));
    process->setProgram(path);
    process->setWorkingDirectory(m_folder);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // A group of its own, so that the time-out also ends what the script started.
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
    QByteArray output;
    connect(process.get(), &QProcess::readyReadStandardOutput, process.get(), [&output, p = process.get()] {
        const QByteArray chunk = p->readAllStandardOutput();
        output.append(chunk.left(outputCap - output.size()));
    });

    process->start(QIODevice::ReadOnly);
    // A start that fails (no "#!" line, a missing interpreter) ends the Starting state without
    // a started() signal, and the state's own signal carries a private tag that a queued awaiter
    // cannot take: look at the state every few milliseconds while the start lasts.
    const auto startDeadline = std::chrono::steady_clock::now() + startTimeout;
    while (process->state() == QProcess::Starting && std::chrono::steady_clock::now() < startDeadline) {
        QCoro::Task<> pause = QCoro::sleepFor(std::chrono::milliseconds(5));
        co_await pause;
    }
    if (process->error() == QProcess::FailedToStart || process->state() == QProcess::Starting) {
        qCWarning(lcFocus).noquote() << "The script could not be started:" << path << process->errorString();
        result.outcome = Run::Outcome::FailedToStart;
        result.error = process->errorString();
        co_return result;
    }
    result.problem = Problem::None;
    // Named, not temporaries: the wrapper and its tasks must outlive each suspension.
    auto watched = qCoro(process.get());
    // A quick script may have ended already while its start was being watched.
    bool finished = process->state() == QProcess::NotRunning;
    if (!finished) {
        QCoro::Task<bool> finishing = watched.waitForFinished(timeout);
        finished = co_await finishing;
    }
    if (!finished) {
        qCWarning(lcFocus).noquote() << "The script did not finish in time and was ended:" << path;
        // Never a group id of 0 or below: that would be our own group.
        if (const qint64 pid = process->processId(); pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
        QCoro::Task<bool> reaping = watched.waitForFinished(reapTimeout);
        co_await reaping;
        result.outcome = Run::Outcome::TimedOut;
        co_return result;
    }
    output.append(process->readAllStandardOutput().left(outputCap - output.size()));
    result.output = output;
    if (process->exitStatus() == QProcess::CrashExit) {
        result.outcome = Run::Outcome::Signalled;
        co_return result;
    }
    result.outcome = Run::Outcome::Exited;
    result.exitCode = process->exitCode();
    co_return result;
}
