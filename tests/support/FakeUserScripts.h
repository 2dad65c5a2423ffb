#pragma once

#include "Platform/UserScripts.h"

#include <QHash>

// Scripts that answer at once with what the test set up. A name with no answer and no
// problem is missing.
class FakeUserScripts final : public UserScripts
{
public:
    QString folder() const override { return folderPath; }

    QCoro::Task<std::optional<QList<Problem>>> check(QStringList names, std::chrono::milliseconds) override
    {
        if (!readable)
            co_return std::nullopt;
        QList<Problem> found;
        for (const QString &name : names)
            found << problems.value(name, answers.contains(name) ? Problem::None : Problem::Missing);
        co_return found;
    }

    QCoro::Task<Run> run(QString name, std::chrono::milliseconds) override
    {
        ran << name;
        co_return answers.value(name, Run {});
    }

    QString folderPath = QStringLiteral("/home/user/.config/Vemra/Shortcuts");
    bool readable = true;
    QHash<QString, Run> answers;
    QHash<QString, Problem> problems;
    QStringList ran;
};
