#include "Services/Focus/ShortcutsFocusSilencer.h"

#include "Models/Focus/FocusShortcut.h"
#include "Platform/UserScripts.h"

namespace {

Error scriptError(const QString &name, const UserScripts::Run &run)
{
    const QString quoted = QStringLiteral("“") + name + QStringLiteral("”");
    switch (run.outcome) {
    case UserScripts::Run::Outcome::Exited:
        return { QStringLiteral("The script ") + quoted + QStringLiteral(" failed with status ")
                + QString::number(run.exitCode) + u'.',
            {} };
    case UserScripts::Run::Outcome::Signalled:
        return { QStringLiteral("The script ") + quoted + QStringLiteral(" was ended by a signal."), {} };
    case UserScripts::Run::Outcome::Missing:
        return { QStringLiteral("The script ") + quoted + QStringLiteral(" is missing or not safe to run."), {} };
    case UserScripts::Run::Outcome::FailedToStart:
        return { QStringLiteral("The script ") + quoted + QStringLiteral(" could not be started."), {} };
    case UserScripts::Run::Outcome::TimedOut:
        return { QStringLiteral("The script ") + quoted + QStringLiteral(" did not finish in time."), {} };
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
    QCoro::Task<std::optional<QStringList>> listing = m_scripts.usable(names, listingTimeout);
    const std::optional<QStringList> usable = co_await listing;
    if (!usable)
        co_return FocusSilencerReadiness::unavailable();
    QStringList missing;
    for (const QString &name : names) {
        if (!usable->contains(name))
            missing << name;
    }
    co_return missing.isEmpty() ? FocusSilencerReadiness::ready() : FocusSilencerReadiness::missingShortcuts(missing);
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
        co_return scriptError(name, result);
    co_return result.output;
}
