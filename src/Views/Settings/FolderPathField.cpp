#include "Views/Settings/FolderPathField.h"

#include "Components/Controls/PaletteTone.h"
#include "Views/Settings/SettingsNote.h"

#include <QDir>

namespace {

constexpr int pathPixelSize = 11;

} // namespace

FolderPathField::FolderPathField(const QString &path, const QString &accessibleName, QWidget *parent)
    : QLineEdit(QDir::toNativeSeparators(path), parent)
{
    setReadOnly(true);
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus);
    QFont pathFont = font();
    pathFont.setPixelSize(pathPixelSize);
    setFont(pathFont);
    PaletteTone::apply(this, QPalette::Text, Theme::secondary);
    setCursorPosition(0);
    setToolTip(text());
    setAccessibleName(accessibleName);
}

void FolderPathField::handOver(SettingsNote *note)
{
    // Without a file manager the folder would open in the web browser: the path is handed over
    // selected instead.
    setFocus(Qt::OtherFocusReason);
    selectAll();
    note->setNote(SettingsNote::Tone::Information,
        QStringLiteral("There is no file manager to open it in. Its path is selected: copy it with Ctrl+C."));
}
