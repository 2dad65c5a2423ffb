#include "App/PlatformWidgets/QtFileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

std::optional<QString> QtFileDialogs::chooseFile(const FileDialogRequest &request)
{
    const bool save = request.mode == FileDialogRequest::Mode::Save;
    // A folder that is not there would leave the dialog in the process's working folder.
    if (m_folder.isEmpty() || !QFileInfo(m_folder).isDir())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(m_folder).isDir())
        m_folder = QDir::homePath();

    QFileDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Vemra"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDirectory(m_folder);
    if (!request.nameFilter.isEmpty())
        dialog.setNameFilter(request.nameFilter);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.acceptLabel.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, request.acceptLabel);
    if (save)
        dialog.selectFile(request.suggestedName);
    dialog.setWindowModality(dialog.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);

    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    m_folder = QFileInfo(chosen).absolutePath();
    return chosen;
}
