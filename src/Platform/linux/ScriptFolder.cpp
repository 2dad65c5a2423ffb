#include "Platform/linux/ScriptFolder.h"

#include "Platform/Logging.h"

#include <QDir>
#include <QFutureWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcoroprocess.h>
#include <qcoro/qcorosignal.h>

#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Left for a process group to go after it was killed at the time-out.
constexpr std::chrono::milliseconds reapTimeout { 2000 };

std::optional<QStringList> usableNames(const QString &folder, const QStringList &names)
{
    struct stat info
    {
    };
    const QByteArray path = QFile::encodeName(folder);
    if (::stat(path.constData(), &info) != 0) {
        if (errno == ENOENT)
            return QStringList();
        qCWarning(lcFocus).noquote() << "The scripts folder cannot be read:" << folder << qt_error_string(errno);
        return std::nullopt;
    }
    if (!S_ISDIR(info.st_mode) || ::access(path.constData(), R_OK | X_OK) != 0) {
        qCWarning(lcFocus).noquote() << "The scripts folder is not a readable folder:" << folder;
        return std::nullopt;
    }
    QStringList usable;
    for (const QString &name : names) {
        if (ScriptFolder::isUsableScript(folder + u'/' + name))
            usable << name;
    }
    return usable;
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

bool ScriptFolder::isUsableScript(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0
        && (info.st_mode & S_IXUSR) != 0;
}

QCoro::Task<std::optional<QStringList>> ScriptFolder::usable(QStringList names, std::chrono::milliseconds timeout)
{
    // Off the main thread: a folder on a stalled network mount must not freeze the interface.
    auto *watcher = new QFutureWatcher<std::optional<QStringList>>(this);
    const std::unique_ptr<QObject, void (*)(QObject *)> dropWatcher(watcher, [](QObject *o) { o->deleteLater(); });
    watcher->setFuture(QtConcurrent::run(usableNames, m_folder, names));
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
    if (!isUsableScript(path)) {
        result.outcome = Run::Outcome::Missing;
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
    // Named, not temporaries: the wrapper and its tasks must outlive each suspension.
    auto watched = qCoro(process.get());
    QCoro::Task<bool> starting = watched.waitForStarted();
    const bool started = co_await starting;
    if (!started) {
        qCWarning(lcFocus).noquote() << "The script could not be started:" << path << process->errorString();
        result.outcome = Run::Outcome::FailedToStart;
        co_return result;
    }
    QCoro::Task<bool> finishing = watched.waitForFinished(timeout);
    const bool finished = co_await finishing;
    if (!finished) {
        qCWarning(lcFocus).noquote() << "The script did not finish in time and was ended:" << path;
        ::kill(-pid_t(process->processId()), SIGKILL);
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
