#pragma once

#include <QString>

// Shows a file or folder to the user in the desktop's file manager ("Show in Folder").
class FileRevealer
{
public:
    virtual ~FileRevealer() = default;
    // Never blocks and never fails visibly: the best the desktop offers is used.
    virtual void reveal(const QString &path) = 0;
};
