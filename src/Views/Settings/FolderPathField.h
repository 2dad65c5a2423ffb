#pragma once

#include <QLineEdit>

class SettingsNote;

// A folder's path, to copy into a terminal or a file dialog: a read-only field without a frame,
// which scrolls a long path rather than widen the pane or cut it off. Where the desktop has no
// file manager, a button that would show the folder hands its path over here instead.
class FolderPathField final : public QLineEdit
{
    Q_OBJECT

public:
    FolderPathField(const QString &path, const QString &accessibleName, QWidget *parent = nullptr);

    // Selects the path, ready to copy, and says in `note` that there was nowhere to show it.
    void handOver(SettingsNote *note);
};
