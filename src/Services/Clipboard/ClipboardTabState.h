#pragma once

#include "Models/Clipboard/ClearRequest.h"
#include "Models/Clipboard/ClipboardItem.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

class ClearPrompt;
class ClipboardListModel;
class ClipboardStore;
class Clock;
class SoundBank;
class Surface;
class SystemClipboard;

// The clipboard tab of one surface, without its widgets: the search text, the page, the
// selected row, the entry in the preview, the entry just copied back (the copied mark) and the
// clear question. Every key the list and the preview use is decided here, and every copy-back
// and deletion the tab makes goes through here, so the widgets only draw this state.
class ClipboardTabState final : public QObject
{
    Q_OBJECT

public:
    // How long the copied mark shows after a copy-back, in milliseconds.
    static constexpr int copiedMarkDuration = 1400;
    // The longest search text, in characters: far more than anyone types, and a pasted
    // document is searched for its start instead of costing the search and its echo seconds.
    static constexpr int maxQueryLength = 1000;

    // `pageSize`: rows per page (100 in the panel, 500 in the window). `closesSurface`: the
    // panel, which closes after a closing copy and on Escape with an empty search.
    ClipboardTabState(ClipboardStore &store, SystemClipboard &clipboard, SoundBank &sounds, const Clock &clock,
        Surface &surface, int pageSize, bool closesSurface, QObject *parent = nullptr);
    ~ClipboardTabState() override;

    ClipboardStore &store() const { return m_store; }
    Surface &surface() const { return m_surface; }
    ClipboardListModel &list() const { return *m_list; }
    int pageSize() const { return m_pageSize; }
    bool closesSurface() const { return m_closesSurface; }

    QString query() const { return m_query; }
    // A new search drops the selection and goes back to the first page. Past maxQueryLength
    // characters the text is cut.
    void setQuery(const QString &query);

    std::optional<QUuid> selection() const { return m_selection; }
    void setSelection(const std::optional<QUuid> &selection);
    // The selected row, when it is shown; a selection of a row not shown is none.
    std::optional<ClipboardItem> selectedItem() const;

    std::optional<QUuid> previewID() const { return m_previewID; }
    // The previewed entry, while it is stored.
    std::optional<ClipboardItem> previewItem() const;
    void preview(const ClipboardItem &item);
    // Back to the list; the search field takes the focus on the next turn of the event loop.
    void closePreview();

    std::optional<QUuid> copiedID() const { return m_copiedID; }

    // The clear question on show, or null.
    ClearPrompt *clearing() const { return m_clearing.get(); }
    // Opens the question for `request`, its moment fixed now.
    void beginClearing(const ClearRequest &request);
    void endClearing();

    // Copies the entry back to the system clipboard. A failure emits copyFailed() and changes
    // nothing else. A closing copy in the panel closes the panel; any other copy shows the
    // copied mark for copiedMarkDuration.
    bool copy(const ClipboardItem &item, bool closing);
    // The copied mark's time for `id` ran out: the mark goes only when it still shows `id`.
    void markExpired(const QUuid &id);

    // Deletes the entry (closing its preview first) and plays the pop sound.
    void deleteItem(const ClipboardItem &item);
    // The list's deletion: a selected row hands the selection to the row that takes its place
    // (or the new last row) before it goes.
    void deleteFromList(const ClipboardItem &item);

    // Moves the selection by `offset` rows: from none to the first row, above the first to none,
    // never past the last.
    void moveSelection(int offset);
    // The list's last button: another page in the window, the window itself from the panel.
    void showMore();
    // Escape in the search field: clears the search, else closes the panel (the window stays).
    void escape();
    // The surface was hidden: empty search, no selection, no preview, first page, no question.
    void reset();

    // The list's keys (the search field keeps the focus): true when the key was used.
    bool handleListKey(int key, Qt::KeyboardModifiers modifiers, bool searchFocused);
    // The preview's keys; `selectsText` tells that part of the previewed text is selected.
    bool handlePreviewKey(int key, Qt::KeyboardModifiers modifiers, bool selectsText);

    // Opens the entry's link with the desktop's handler, only for the web and mail links the
    // store accepts; anything else is refused and never handed to the desktop.
    static bool openLink(const ClipboardItem &item);

Q_SIGNALS:
    void queryChanged();
    void selectionChanged();
    void previewChanged();
    void copiedChanged();
    void clearingChanged();
    void copyFailed();
    // The search field should take the keyboard focus.
    void searchFocusRequested();

private:
    void setCopiedID(const std::optional<QUuid> &id);

    ClipboardStore &m_store;
    SystemClipboard &m_clipboard;
    SoundBank &m_sounds;
    const Clock &m_clock;
    Surface &m_surface;
    int m_pageSize;
    bool m_closesSurface;
    ClipboardListModel *m_list;
    QString m_query;
    std::optional<QUuid> m_selection;
    std::optional<QUuid> m_previewID;
    // The previewed entry was still stored at the last change of the history.
    bool m_previewStored = false;
    std::optional<QUuid> m_copiedID;
    std::unique_ptr<ClearPrompt> m_clearing;
};
