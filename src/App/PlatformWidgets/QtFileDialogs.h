#pragma once

#include "Platform/FileDialogs.h"

// Save and open dialogs as QFileDialog, modal to the active window (or the application when
// there is none), raised and given the keyboard so that they are not lost behind it.
class QtFileDialogs final : public FileDialogs
{
public:
    std::optional<QString> chooseFile(const FileDialogRequest &request) override;

private:
    // Where the next dialog opens: the folder of the last file chosen, else Documents, else the
    // home folder; whichever is there.
    QString m_folder;
};
