#pragma once

#include "Components/Theme/Density.h"
#include "Models/Clipboard/ClipboardItem.h"

#include <QWidget>

#include <optional>

class AppearTransition;
class ClipboardTabState;
class ClipboardThumbnail;
class ImageLoader;
class KeyMonitor;
class OverflowArea;
class QGridLayout;
class QLabel;
class QTextEdit;
class QVBoxLayout;
class SymbolIcon;
class TintedButton;

// The full preview of one history entry, in place of the tab's list: a bar to go back with the
// entry's kind, the content (the text as selectable text, the picture at up to 1,600 pixels,
// or the files), the facts (copies, times, source, size) and Delete and Copy with the copied
// mark. It takes the window's keys while shown: Ctrl+C copies (unless part of a text is
// selected), Return copies and leaves, Space and Escape go back.
class ClipboardDetail final : public QWidget
{
    Q_OBJECT

public:
    ClipboardDetail(ClipboardTabState &state, ImageLoader &images, Density density, QWidget *parent = nullptr);

    // Shows the tab's previewed entry (and refreshes its facts).
    void refresh();

    std::optional<QUuid> shownID() const { return m_shownID; }
    // The entry's text, selectable (text, link and code entries).
    QTextEdit *textView() const { return m_text; }
    TintedButton *backButton() const { return m_back; }
    TintedButton *openLinkButton() const { return m_openLink; }
    TintedButton *copyButton() const { return m_copy; }
    TintedButton *deleteButton() const { return m_delete; }
    QLabel *copiedMark() const { return m_copied; }
    // The full picture, once decoded (shown in place of the thumbnail).
    QWidget *picture() const { return m_picture; }
    // The facts as shown, label and value, row by row.
    QList<QPair<QString, QString>> shownFacts() const;

private:
    void rebuildPreview(const ClipboardItem &item);
    void previewText(const ClipboardItem &item, QVBoxLayout *box);
    void previewPicture(const ClipboardItem &item, QVBoxLayout *box);
    void previewFiles(const ClipboardItem &item, QVBoxLayout *box);
    void updateFacts(const ClipboardItem &item);
    // Part of a label's text (the text, a fact, a file row) is selected: Ctrl+C copies that.
    bool selectsText() const;

    ClipboardTabState &m_state;
    ImageLoader &m_images;
    Density m_density;
    std::optional<QUuid> m_shownID;
    SymbolIcon *m_kindSymbol;
    QLabel *m_kind;
    OverflowArea *m_scroll = nullptr;
    QWidget *m_content;
    QVBoxLayout *m_previewBox;
    QWidget *m_preview = nullptr;
    QGridLayout *m_facts;
    QList<QPair<QLabel *, QTextEdit *>> m_factRows;
    QTextEdit *m_text = nullptr;
    QWidget *m_picture = nullptr;
    ClipboardThumbnail *m_thumbnail = nullptr;
    TintedButton *m_openLink = nullptr;
    TintedButton *m_back;
    TintedButton *m_delete;
    QLabel *m_copied;
    AppearTransition *m_copiedMotion = nullptr;
    TintedButton *m_copy;
    KeyMonitor *m_keys;
};
