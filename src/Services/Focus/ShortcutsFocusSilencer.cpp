#include "Services/Focus/ShortcutsFocusSilencer.h"

#include "Models/Focus/FocusShortcut.h"
#include "Platform/UserScripts.h"

namespace {

using Problem = UserScripts::Problem;
using Outcome = UserScripts::Run::Outcome;

// What keeps a script from being used, as the setup guide says it; empty for none.
QString problemSentence(const QString &name, Problem problem)
{
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::Missing:
        return name + QStringLiteral(" is missing");
    case Problem::NotExecutable:
        return name + QStringLiteral(" is not executable");
    case Problem::ChangeableByOthers:
        return name + QStringLiteral(" can be changed by other users");
    case Problem::NoInterpreterLine:
        return name + QStringLiteral(" can’t start: its first line must begin with #!");
    case Problem::MissingInterpreter:
        return name + QStringLiteral(" can’t start: the program on its #! line is missing");
    }
    return {};
}

// Why a run did not succeed; empty for one that did.
QString runSentence(const QString &name, const UserScripts::Run &run)
{
    switch (run.outcome) {
    case Outcome::Exited:
        return run.exitCode == 0 ? QString()
                                 : name + QStringLiteral(" failed with status ") + QString::number(run.exitCode);
    case Outcome::Signalled:
        return name + QStringLiteral(" was ended by a signal");
    case Outcome::Refused:
        return problemSentence(name, run.problem);
    case Outcome::FailedToStart:
        if (run.problem != Problem::None)
            return problemSentence(name, run.problem);
        return name + QStringLiteral(" can’t start: ") + run.error;
    case Outcome::TimedOut:
        return name + QStringLiteral(" didn’t finish in time");
    }
    return {};
}

} // namespace

ShortcutsFocusSilencer::ShortcutsFocusSilencer(UserScripts &scripts)
    : m_scripts(scripts)
{
}

QCoro::Task<FocusSilencerReadiness> ShortcutsFocusSilencer::readiness(bool)
{
    QStringList names;
    for (FocusShortcut shortcut : FocusShortcuts::all)
        names << FocusShortcuts::storedValue(shortcut);
    QCoro::Task<std::optional<QList<Problem>>> checking = m_scripts.check(names, listingTimeout);
    const std::optional<QList<Problem>> problems = co_await checking;
    if (!problems || problems->size() != names.size())
        co_return FocusSilencerReadiness::unavailable();
    QStringList missing;
    QStringList reasons;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (problems->at(i) == Problem::Missing)
            missing << names[i];
        else if (problems->at(i) != Problem::None)
            reasons << problemSentence(names[i], problems->at(i));
    }
    if (missing.isEmpty() && reasons.isEmpty()) {
        // Reading the mode once shows what a session would meet: a script that cannot start,
        // fails or hangs is named now, not after the first session failed to silence.
        const QString status = FocusShortcuts::storedValue(FocusShortcut::Status);
        QCoro::Task<UserScripts::Run> running = m_scripts.run(status, listingTimeout);
        const UserScripts::Run run = co_await running;
        if (!run.succeeded())
            reasons << runSentence(status, run);
    }
    co_return missing.isEmpty() && reasons.isEmpty() ? FocusSilencerReadiness::ready()
                                                     : FocusSilencerReadiness::missingShortcuts(missing, reasons);
}

QCoro::Task<Result<std::optional<QString>>> ShortcutsFocusSilencer::currentFocus()
{
    QCoro::Task<Result<QByteArray>> running = run(FocusShortcuts::storedValue(FocusShortcut::Status));
    const Result<QByteArray> output = co_await running;
    if (!output)
        co_return output.error();
    co_return focusName(output.value());
}

QCoro::Task<Status> ShortcutsFocusSilencer::turnOnDoNotDisturb()
{
    QCoro::Task<Result<QByteArray>> running = run(FocusShortcuts::storedValue(FocusShortcut::On));
    const Result<QByteArray> output = co_await running;
    if (!output)
        co_return output.error();
    co_return Status();
}

QCoro::Task<Status> ShortcutsFocusSilencer::turnOffDoNotDisturb()
{
    QCoro::Task<Result<QByteArray>> running = run(FocusShortcuts::storedValue(FocusShortcut::Off));
    const Result<QByteArray> output = co_await running;
    if (!output)
        co_return output.error();
    co_return Status();
}

QString ShortcutsFocusSilencer::setupFolder() const
{
    return m_scripts.folder();
}

std::optional<QString> ShortcutsFocusSilencer::focusName(const QByteArray &output)
{
    const QString text = QString::fromUtf8(output);
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const QString firstLine = text.section(u'\n', 0, 0).trimmed();
    return firstLine.isEmpty() ? QStringLiteral("Focus") : firstLine;
}

QCoro::Task<Result<QByteArray>> ShortcutsFocusSilencer::run(QString name)
{
    QCoro::Task<UserScripts::Run> running = m_scripts.run(name, runTimeout);
    const UserScripts::Run result = co_await running;
    if (!result.succeeded())
        co_return Error { runSentence(name, result) + u'.', {} };
    co_return result.output;
}
