#pragma once

#include <QWidget>

class FileRevealer;
class FolderPathField;
class FocusSessionManager;
class QAbstractButton;
class QHBoxLayout;
class SettingsNote;
class SymbolIcon;
class ToneLabel;

// The Focus pane's guide to silencing notifications: a status line saying whether the three
// scripts are in place, with "Check Setup", and until they are, a numbered list of the scripts
// to make with a button that opens their folder, and the folder's path beside it. It shows the focus manager's
// readiness, which the Focus tab shares, and asks the manager for a new answer: silently each time it is shown, and on
// "Check Setup". One check of its own at a time; a check it started always finishes and is stored, even when the guide
// is gone by then.
class SilencingSetup final : public QWidget
{
    Q_OBJECT

public:
    SilencingSetup(FocusSessionManager &focus, FileRevealer &revealer, QWidget *parent = nullptr);

    bool isChecking() const { return m_checking; }
    // Starts a readiness check unless one of this guide's is still running.
    void check(bool asking);

    ToneLabel *statusTitle() const { return m_statusTitle; }
    SymbolIcon *statusIcon() const { return m_statusIcon; }
    ToneLabel *statusDetail() const { return m_statusDetail; }
    QAbstractButton *checkButton() const { return m_checkButton; }
    // The numbered guide under the status line; hidden once everything is ready.
    QWidget *guide() const { return m_guide; }
    QAbstractButton *openFolderButton() const { return m_openFolder; }
    // The folder's path beside the button, selectable.
    FolderPathField *folderPath() const { return m_folderPath; }
    // Why the folder could not be opened (a problem) or what happened instead (where there is
    // no file manager); hidden when it opened.
    SettingsNote *folderProblem() const { return m_folderProblem; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void openFolder();

    FocusSessionManager &m_focus;
    FileRevealer &m_revealer;
    bool m_checking = false;
    int m_check = 0;
    QHBoxLayout *m_titleLine = nullptr;
    SymbolIcon *m_statusIcon = nullptr;
    ToneLabel *m_statusTitle;
    ToneLabel *m_statusDetail;
    QAbstractButton *m_checkButton;
    QWidget *m_guide;
    QAbstractButton *m_openFolder;
    FolderPathField *m_folderPath;
    SettingsNote *m_folderProblem;
};
