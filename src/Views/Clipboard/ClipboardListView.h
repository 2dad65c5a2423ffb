#pragma once

#include "Components/Theme/Density.h"

#include <QListView>
#include <QUuid>
#include <QVariantAnimation>

#include <optional>

struct ClipboardItem;
class ClipboardRowDelegate;
class ClipboardTabState;
class ImageLoader;
class QMenu;

// The scrolling list of history rows. A click on a row copies it back; its "More" button and a
// secondary click open the row's menu. It never takes the keyboard focus (the search field
// keeps it; the tab's keys move the selection) and scrolls the selected row into view. Rows
// arriving above the first visible row leave what the user is looking at in place.
class ClipboardListView final : public QListView
{
    Q_OBJECT

public:
    ClipboardListView(ClipboardTabState &state, ImageLoader &images, Density density, QWidget *parent = nullptr);

    ClipboardTabState &state() const { return m_state; }
    ClipboardRowDelegate *rowDelegate() const { return m_delegate; }
    // Whether the list is easing to the selected row now.
    bool isScrolling() const { return m_scroll.state() == QAbstractAnimation::Running; }
    // The height all rows take at a width, for the panel, which fits the list to its rows.
    int contentHeight(int width) const;
    // The panel's: the height it asks for, which a screen too short for it may cut down to the
    // list's least height.
    void setFittedHeight(int height);
    QSize sizeHint() const override;
    // The row's menu: Copy, Preview, Open Link (for a link the store accepts), Delete.
    QMenu *makeMenu(const ClipboardItem &item, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void updateGeometries() override;

private:
    // The row under a still pointer changes as the rows scroll, arrive or go away: it is the
    // hovered one, whatever the pointer last moved over.
    void followPointer();
    void keepAnchor();
    void restoreAnchor();
    void revealSelection();

    ClipboardTabState &m_state;
    ClipboardRowDelegate *m_delegate;
    // The first visible row and its offset, kept while rows change above it.
    std::optional<QUuid> m_anchor;
    int m_anchorOffset = 0;
    QVariantAnimation m_scroll;
    // The eased scroll, not someone else, is moving the scroll bar.
    bool m_easing = false;
    std::optional<int> m_fittedHeight;
    // Where the pointer is while over the rows, on the screen.
    std::optional<QPoint> m_pointer;
};
