#pragma once

#include "Platform/FileRevealer.h"

#include <QStringList>

// Records the paths it was asked to show and the folders it was asked to open.
class FakeFileRevealer final : public FileRevealer
{
public:
    void reveal(const QString &path) override { m_revealed << path; }
    void openFolder(const QString &folder) override { m_opened << folder; }
    bool hasFileManager() override { return fileManager; }
    // What hasFileManager() answers.
    bool fileManager = true;
    const QStringList &revealed() const { return m_revealed; }
    const QStringList &opened() const { return m_opened; }

private:
    QStringList m_revealed;
    QStringList m_opened;
};
