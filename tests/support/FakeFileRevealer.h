#pragma once

#include "Platform/FileRevealer.h"

#include <QStringList>

// Records the paths it was asked to show.
class FakeFileRevealer final : public FileRevealer
{
public:
    void reveal(const QString &path) override { m_revealed << path; }
    const QStringList &revealed() const { return m_revealed; }

private:
    QStringList m_revealed;
};
