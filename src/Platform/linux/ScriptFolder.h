#pragma once

#include "Platform/UserScripts.h"

#include <QObject>

// The user's scripts in one folder, run with QProcess. Output beyond the cap is read and
// dropped, so a script that prints without end neither fills memory nor stalls on a full pipe.
class ScriptFolder final : public QObject, public UserScripts
{
    Q_OBJECT

public:
    static constexpr qsizetype outputCap = 64 * 1024;

    // `folder` need not exist yet.
    explicit ScriptFolder(QString folder, QObject *parent = nullptr);
    // Ends every script still running, with its process group.
    ~ScriptFolder() override;

    // ~/.config/Vemra/Shortcuts.
    static QString defaultFolder();

    QString folder() const override { return m_folder; }
    QCoro::Task<std::optional<QStringList>> usable(QStringList names, std::chrono::milliseconds timeout) override;
    QCoro::Task<Run> run(QString name, std::chrono::milliseconds timeout) override;

    // Whether `path` is a script that may be run: a regular file (after links) that the user
    // owns, that neither group nor others may write to, and that the user may execute.
    static bool isUsableScript(const QString &path);

private:
    QString m_folder;
};
