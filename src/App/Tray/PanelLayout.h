#pragma once

#include <QLayout>

// The panel window's layout: its one view across the window's width and down from the top, as
// tall as it wants to be within the room under (or above) the icon, which its middle then
// scrolls in. The controller sizes the window and moves its height towards that; while the
// window is still the shorter, the view is cut off at the bottom edge rather than squeezed,
// which would draw its parts over one another or scroll what is about to fit.
class PanelLayout final : public QLayout
{
public:
    explicit PanelLayout(QWidget *window);
    ~PanelLayout() override;

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

    // The most height the window may take; 0 for no bound but the window's own.
    void setRoom(int height);
    // Lays the view out this tall whatever the window's height (the window is about to be made
    // shorter); 0 for none.
    void setHeld(int height);

private:
    QLayoutItem *m_item = nullptr;
    int m_room = 0;
    int m_held = 0;
};
