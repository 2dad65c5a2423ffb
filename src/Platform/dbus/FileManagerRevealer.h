#pragma once

#include "Platform/FileRevealer.h"

// Selects the item in a file-manager window through org.freedesktop.FileManager1; where no file
// manager offers that, opens the folder that holds the item.
class FileManagerRevealer final : public FileRevealer
{
public:
    void reveal(const QString &path) override;

    // The folder opened when the file manager cannot select the item.
    static QString fallbackFolder(const QString &path);
};
