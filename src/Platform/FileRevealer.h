#pragma once

#include <QString>

// Shows a file or folder to the user in the desktop's file manager. Neither call blocks or
// fails visibly: the best the desktop offers is used.
class FileRevealer
{
public:
    virtual ~FileRevealer() = default;
    // Selects the item in the folder that holds it ("Show in Folder").
    virtual void reveal(const QString &path) = 0;
    // Opens the folder itself, showing what is inside it.
    virtual void openFolder(const QString &folder) = 0;
};
