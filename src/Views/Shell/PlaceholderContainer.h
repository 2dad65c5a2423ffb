#pragma once

#include "Models/Shell/VemraTab.h"

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;
class Surface;

// Stands in for a surface's tab views until they exist: the three tab titles, with the current
// tab's marked, and one line for the current tab, following the surface's tab; or, as one
// tab's page, only that tab's line.
class PlaceholderContainer final : public QWidget
{
    Q_OBJECT

public:
    // The panel's content width: the natural width, which the panel keeps; a window stretches it.
    static constexpr int panelWidth = 380;

    explicit PlaceholderContainer(Surface *surface, QWidget *parent = nullptr);
    // Only the line of one tab, as the page of a tab whose view does not exist yet.
    explicit PlaceholderContainer(VemraTab tab, QWidget *parent = nullptr);

    QSize sizeHint() const override;

    VemraTab shownTab() const { return m_tab; }
    QString placeholderText() const;

private:
    void showTab(VemraTab tab);

    Surface *m_surface = nullptr;
    VemraTab m_tab = VemraTab::Todos;
    std::array<QPushButton *, 3> m_titles {};
    QLabel *m_line = nullptr;
};
