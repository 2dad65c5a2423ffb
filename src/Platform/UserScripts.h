#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <optional>

// Executable scripts of the user's in one folder, run without a shell. A script counts only
// when it is a regular file that the user owns, that nobody else may write to, and that the
// user may execute; anything else counts as missing.
class UserScripts
{
public:
    struct Run
    {
        enum class Outcome {
            Exited,
            // Ended by a signal.
            Signalled,
            // No usable script of that name.
            Missing,
            FailedToStart,
            // Still running at the time-out; it was ended with its whole process group.
            TimedOut,
        };

        Outcome outcome = Outcome::Missing;
        int exitCode = 0;
        // What it printed, up to a cap; the rest is dropped.
        QByteArray output;

        bool succeeded() const { return outcome == Outcome::Exited && exitCode == 0; }
    };

    virtual ~UserScripts() = default;

    // The folder the scripts live in.
    virtual QString folder() const = 0;
    // Which of `names` are usable scripts now; none when the folder cannot be read or the
    // look-up does not answer within `timeout`. A missing folder holds no scripts.
    virtual QCoro::Task<std::optional<QStringList>> usable(QStringList names, std::chrono::milliseconds timeout) = 0;
    // Runs one script with no arguments and an empty input, in the folder, in a process group
    // of its own that is ended at the time-out.
    virtual QCoro::Task<Run> run(QString name, std::chrono::milliseconds timeout) = 0;
};
