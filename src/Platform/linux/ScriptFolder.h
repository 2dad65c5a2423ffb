#pragma once

#include "Platform/UserScripts.h"
#include "Platform/linux/UserGroups.h"

#include <QObject>

// The user's scripts in one folder, run with QProcess. Output beyond the cap is read and
// dropped, so a script that prints without end neither fills memory nor stalls on a full pipe.
class ScriptFolder final : public QObject, public UserScripts
{
    Q_OBJECT

public:
    static constexpr qsizetype outputCap = 64 * 1024;

    // `folder` need not exist yet. Groups are looked up in the system's databases.
    explicit ScriptFolder(QString folder, QObject *parent = nullptr);
    // With another answer to which groups are the user's own; `groups` outlives the folder.
    ScriptFolder(QString folder, const UserGroups &groups, QObject *parent = nullptr);
    // Ends every script still running, with its process group.
    ~ScriptFolder() override;

    // ~/.config/Vemra/Shortcuts.
    static QString defaultFolder();

    QString folder() const override { return m_folder; }
    QCoro::Task<std::optional<QList<Problem>>> check(QStringList names, std::chrono::milliseconds timeout) override;
    QCoro::Task<Run> run(QString name, std::chrono::milliseconds timeout) override;

    // Why `path` may not be run (after links): see Problem.
    static Problem problemOf(const QString &path, const UserGroups &groups);
    // Whether the system can start `path`: a program, or a script whose first line names one.
    static Problem startProblemOf(const QString &path);

private:
    QString m_folder;
    SystemUserGroups m_systemGroups;
    const UserGroups &m_groups;
};
