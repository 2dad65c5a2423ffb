#pragma once

#include "Platform/FileRevealer.h"

// Selects the item in, or opens, a file-manager window through org.freedesktop.FileManager1;
// where no file manager offers that, the desktop's handler of folders opens the folder.
class FileManagerRevealer final : public FileRevealer
{
public:
    void reveal(const QString &path) override;
    void openFolder(const QString &folder) override;

    // The folder opened when the file manager cannot select the item.
    static QString fallbackFolder(const QString &path);
};
