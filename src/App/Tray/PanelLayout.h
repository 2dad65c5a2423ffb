#pragma once

#include <QLayout>

// The panel window's layout: its one view across the window's width and down from the top, at
// least as tall as the view's minimum. The controller sizes the window and moves its height
// towards the view's wishes; while the window is the shorter, the view is cut off at the bottom
// edge rather than squeezed, which would draw its parts over one another.
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

private:
    QLayoutItem *m_item = nullptr;
};
