#pragma once

#include "Components/Theme/Density.h"

#include <QWidget>

class ClearConfirmation;
class ClearHistoryMenu;
class ClipboardListView;
class ClipboardTabState;
class IconButton;
class ImageLoader;
class Preferences;
class QLabel;
class QStackedLayout;
class RollingLabel;
class SymbolIcon;
class TintedButton;

// The list half of the clipboard tab: the header ("Recently Copied" or the number of
// results), the rows of the page or the empty state, the button for more, and the footer with
// the item count, the clear-history menu, the pause button and, in the panel, the button that
// opens the window. The clear question takes the footer's place while it is open.
class ClipboardResults final : public QWidget
{
    Q_OBJECT

public:
    // The panel's list grows with its rows up to this height, then scrolls.
    static constexpr int compactListMaxHeight = 340;
    // The most of the search text the empty state's title looks at (two lines hold far fewer),
    // and the width it is cut for before the label has one.
    static constexpr int noMatchEcho = 300;
    static constexpr int noMatchFallbackWidth = 340;

    ClipboardResults(ClipboardTabState &state, Preferences &preferences, ImageLoader &images, Density density,
        QWidget *parent = nullptr);

    ClipboardListView *list() const { return m_list; }
    QLabel *header() const { return m_header; }
    TintedButton *showMoreButton() const { return m_showMore; }
    QLabel *emptyTitle() const { return m_emptyTitle; }
    QLabel *emptyMessage() const { return m_emptyMessage; }
    RollingLabel *status() const { return m_status; }
    ClearHistoryMenu *clearMenu() const { return m_clearMenu; }
    IconButton *pauseButton() const { return m_pause; }
    IconButton *expandButton() const { return m_expand; }
    ClearConfirmation *confirmation() const { return m_confirmation; }
    bool showsEmptyState() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *makeFooter();
    void refreshSummary();
    void refreshNoMatchTitle();
    void refreshPause();
    void refreshClearing();
    void fitList();

    ClipboardTabState &m_state;
    Preferences &m_preferences;
    Density m_density;
    QLabel *m_header;
    ClipboardListView *m_list;
    TintedButton *m_showMore;
    QWidget *m_listBox;
    QWidget *m_emptyBox;
    QLabel *m_emptyTitle;
    QLabel *m_emptyMessage;
    QStackedLayout *m_footerStack = nullptr;
    QWidget *m_footerControls = nullptr;
    QWidget *m_confirmationBox = nullptr;
    SymbolIcon *m_statusSymbol = nullptr;
    RollingLabel *m_status = nullptr;
    ClearHistoryMenu *m_clearMenu = nullptr;
    IconButton *m_pause = nullptr;
    IconButton *m_expand = nullptr;
    ClearConfirmation *m_confirmation = nullptr;
};
