#pragma once

#include <QString>

// Shows a file or folder to the user in the desktop's file manager. No call blocks or fails
// visibly: the best the desktop offers is used, and nothing where it has no file manager.
class FileRevealer
{
public:
    virtual ~FileRevealer() = default;
    // Selects the item in the folder that holds it ("Show in Folder").
    virtual void reveal(const QString &path) = 0;
    // Opens the folder itself, showing what is inside it.
    virtual void openFolder(const QString &folder) = 0;
    // Whether the desktop has a file manager to show folders in, as last learnt: the answer is
    // at hand, never waited for. Asking may have it learnt again for the next question.
    virtual bool hasFileManager() = 0;
};
