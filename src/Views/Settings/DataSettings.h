#pragma once

#include "Views/Settings/SettingsForm.h"

class DataTransfer;
class FileRevealer;
class FolderPathField;
class QAbstractButton;
class SettingsNote;
class SettingsSection;
class SymbolIcon;
class ToneLabel;

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
    // The footer's two forms: "Working…" with a spinner, and the last result with a check mark
    // (a warning mark for an import taken back).
    QWidget *workingLine() const { return m_working; }
    QWidget *resultLine() const { return m_result; }
    ToneLabel *resultText() const { return m_resultText; }
    SymbolIcon *resultMark() const { return m_resultMark; }
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
    ToneLabel *m_resultText;
    SymbolIcon *m_resultMark = nullptr;
    QWidget *m_location;
    FolderPathField *m_folderPath;
    SettingsNote *m_locationNote;
};
