#pragma once

#include <QString>

class FileRevealer;

// The one way a file or folder is shown to the user: in the desktop's file manager, or, where
// there is none (the desktop would hand the folder to the web browser), by handing its path over,
// selected and ready to copy, with the two sentences below.
class ShowInFolder final
{
public:
    enum class Way {
        Select, // the item selected in the folder that holds it
        Open, // the folder itself, showing what is inside it
    };

    // True when the file manager was asked to show `path`; false, asking nothing, where the
    // desktop has none: the caller then hands the path over.
    static bool show(FileRevealer &revealer, const QString &path, Way way);

    // Why a path is handed over, and what to do with it.
    static QString noFileManager();
    static QString copyHint();
};
