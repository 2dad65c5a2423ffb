#pragma once

#include <QString>

#include <optional>

// What a save or open dialog asks for.
struct FileDialogRequest
{
    enum class Mode { Save, Open };

    Mode mode = Mode::Open;
    // The label of the button that confirms the choice ("Import"); empty: the dialog's own.
    QString acceptLabel;
    // Save: the file name offered ("Vemra Export 2026-03-01.json").
    QString suggestedName;
    // The files offered, as "Description (*.ext)".
    QString nameFilter;
    // Save: the extension given to a name typed without one.
    QString defaultSuffix;
};

// Lets the user pick a file to write or to read. Behind an interface so that tests choose
// the file instead of a person.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // Returns once the dialog is closed: the chosen file's path, nothing when cancelled.
    virtual std::optional<QString> chooseFile(const FileDialogRequest &request) = 0;
};
