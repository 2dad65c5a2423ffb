#pragma once

#include "Platform/FileRevealer.h"

// Selects the item in, or opens, a file-manager window through org.freedesktop.FileManager1;
// where no file manager offers that, the desktop's handler of folders opens the folder. Where
// there is no handler either, nothing opens: the desktop would hand the folder to the web
// browser, where nothing can be done with its files.
class FileManagerRevealer final : public FileRevealer
{
public:
    void reveal(const QString &path) override;
    void openFolder(const QString &folder) override;
    // FileManager1 on the session bus (running or started on demand), or a handler of folders.
    bool hasFileManager() const override;

    // The folder opened when the file manager cannot select the item.
    static QString fallbackFolder(const QString &path);
};
