#pragma once

#include "Views/Settings/SettingsForm.h"

class DataTransfer;
class FileRevealer;
class FolderPathField;
class QLabel;
class QAbstractButton;
class SettingsNote;
class SettingsSection;

// The fourth settings pane: export everything, import an export, a footer with the progress and
// the result of the last transfer, and where the data lives with a way to show that folder. The
// transfer service does all the work and reports its own failures; the pane only follows it.
class DataSettings final : public SettingsForm
{
    Q_OBJECT

public:
    DataSettings(DataTransfer &transfer, FileRevealer &revealer, QWidget *parent = nullptr);

    QAbstractButton *exportButton() const { return m_export; }
    QAbstractButton *importButton() const { return m_import; }
    QAbstractButton *showInFolderButton() const { return m_showInFolder; }
    SettingsSection *transferSection() const { return m_transferSection; }
    // The footer's two forms: "Working…" with a spinner, and the last result with a check mark.
    QWidget *workingLine() const { return m_working; }
    QWidget *resultLine() const { return m_result; }
    QLabel *resultText() const { return m_resultText; }
    // The data folder's path and why it shows: only where there was no file manager to show the
    // folder in.
    QWidget *location() const { return m_location; }
    FolderPathField *folderPath() const { return m_folderPath; }
    SettingsNote *locationNote() const { return m_locationNote; }

private:
    void refresh();

    DataTransfer &m_transfer;
    SettingsSection *m_transferSection = nullptr;
    QAbstractButton *m_export;
    QAbstractButton *m_import;
    QAbstractButton *m_showInFolder;
    QWidget *m_footer;
    QWidget *m_working;
    QWidget *m_result;
    QLabel *m_resultText;
    QWidget *m_location;
    FolderPathField *m_folderPath;
    SettingsNote *m_locationNote;
};
