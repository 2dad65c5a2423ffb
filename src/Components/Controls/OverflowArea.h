#pragma once

#include <QScrollArea>

// The middle of a column whose ends (a header, a footer) must stay on screen. It asks for its
// content's size and gives the content its own height or more, so the content's stretches work
// as in any layout; only where even the content's least height does not fit does it scroll, by
// the wheel or as the keyboard moves, the focused control kept in view. It comes into view at
// its top. It takes the application's background as it is: no frame, no fill.
class OverflowArea final : public QScrollArea
{
    Q_OBJECT

public:
    // Takes ownership of the content.
    explicit OverflowArea(QWidget *content, QWidget *parent = nullptr);

    // The content's, its height at the width it has (wrapped text). Not a height for width of
    // the layouts': they take that as the least height too, which would never scroll.
    QSize sizeHint() const override;
    // The content's least width; of its least height, no more than it is told to hold.
    QSize minimumSizeHint() const override;

    // The most of the content's least height that the area asks for as its own (none at
    // first): what it holds, the layouts above give it whole, unscrolled.
    void setMostHeld(int height);
    int mostHeld() const { return m_mostHeld; }

    // Whether the content is taller than the area, so that it scrolls.
    bool overflows() const;

Q_SIGNALS:
    // The area took in a change of its height or of its content's wishes, the layouts above
    // included: what it shows and what it scrolls are settled.
    void reflowed();

protected:
    bool viewportEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void keepInView(QWidget *focused);

    int m_mostHeld = 0;
};
