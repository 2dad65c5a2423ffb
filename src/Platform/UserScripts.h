#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <optional>

// Executable scripts of the user's in one folder, run without a shell. A script may run only
// when it is a regular file that the user owns and may execute, and that no other user can
// change; its problem says why another may not.
class UserScripts
{
public:
    enum class Problem {
        None,
        // No regular file of that name.
        Missing,
        NotExecutable,
        // Owned by someone else, or writable by others or by a group that has other members.
        ChangeableByOthers,
        // Neither a program nor a script whose first line starts with "#!".
        NoInterpreterLine,
        // The program its "#!" line names is not there, or cannot be run.
        MissingInterpreter,
    };

    struct Run
    {
        enum class Outcome {
            Exited,
            // Ended by a signal.
            Signalled,
            // Not run: `problem` says why.
            Refused,
            // The system could not start it: `problem` says why where it can tell, `error`
            // is the system's own message.
            FailedToStart,
            // Still running at the time-out; it was ended with its whole process group.
            TimedOut,
        };

        Outcome outcome = Outcome::Refused;
        int exitCode = 0;
        // What it printed, up to a cap; the rest is dropped.
        QByteArray output;
        Problem problem = Problem::Missing;
        QString error;

        static Run exited(int exitCode, QByteArray output = {})
        {
            Run run;
            run.outcome = Outcome::Exited;
            run.exitCode = exitCode;
            run.output = std::move(output);
            run.problem = Problem::None;
            return run;
        }

        bool succeeded() const { return outcome == Outcome::Exited && exitCode == 0; }
    };

    virtual ~UserScripts() = default;

    // The folder the scripts live in.
    virtual QString folder() const = 0;
    // The problem of each of `names`, in order (None for a script that may run); none when the
    // folder cannot be read or the look-up does not answer within `timeout`. A missing folder
    // holds no scripts.
    virtual QCoro::Task<std::optional<QList<Problem>>> check(QStringList names, std::chrono::milliseconds timeout) = 0;
    // Runs one script with no arguments and an empty input, in the folder, in a process group
    // of its own that is ended at the time-out. A script that cannot start is reported at once.
    virtual QCoro::Task<Run> run(QString name, std::chrono::milliseconds timeout) = 0;
};
