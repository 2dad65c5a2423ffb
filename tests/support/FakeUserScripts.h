#pragma once

#include "Platform/UserScripts.h"

#include <QHash>

// Scripts that answer at once with what the test set up. A name with no answer is missing.
class FakeUserScripts final : public UserScripts
{
public:
    QString folder() const override { return folderPath; }

    QCoro::Task<std::optional<QStringList>> usable(QStringList names, std::chrono::milliseconds) override
    {
        if (!readable)
            co_return std::nullopt;
        QStringList found;
        for (const QString &name : names) {
            if (answers.contains(name))
                found << name;
        }
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
    QStringList ran;
};
