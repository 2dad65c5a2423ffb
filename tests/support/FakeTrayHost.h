#pragma once

#include "Platform/TrayHost.h"

#include <QIcon>
#include <QString>

// A tray icon whose position, availability and host kind the test sets. Counts how often its
// geometry was asked for and records the menus it was told to show (without showing them).
class FakeTrayHost final : public TrayHost
{
    Q_OBJECT

public:
    using TrayHost::TrayHost;

    bool isAvailable() const override { return m_available; }
    bool usesStatusNotifier() const override { return m_statusNotifier; }
    void setVisible(bool visible) override { m_visible = visible; }
    void setIcon(const QIcon &icon) override
    {
        m_icon = icon;
        ++m_iconSets;
    }
    void setToolTip(const QString &text) override { m_toolTip = text; }
    QRect geometry() const override
    {
        ++m_geometryQueries;
        return m_geometry;
    }
    void showMenu(QMenu *menu) override
    {
        m_lastMenu = menu;
        ++m_menusShown;
    }
    std::optional<QColor> foreground() const override { return m_foreground; }
    std::optional<QColor> background() const override { return m_background; }
    void setColours(std::optional<QColor> foreground, std::optional<QColor> background)
    {
        m_foreground = foreground;
        m_background = background;
    }

    void setAvailable(bool available) { m_available = available; }
    void setStatusNotifier(bool statusNotifier) { m_statusNotifier = statusNotifier; }
    void setGeometry(const QRect &geometry) { m_geometry = geometry; }
    // The tray re-lays its icons: the icon moves and says so.
    void moveTo(const QRect &geometry)
    {
        m_geometry = geometry;
        Q_EMIT geometryChanged();
    }
    void click(Qt::KeyboardModifiers modifiers = Qt::NoModifier) { Q_EMIT clicked(modifiers); }
    void contextClick() { Q_EMIT contextClicked(); }

    bool isVisible() const { return m_visible; }
    const QIcon &icon() const { return m_icon; }
    int iconSets() const { return m_iconSets; }
    const QString &toolTip() const { return m_toolTip; }
    int geometryQueries() const { return m_geometryQueries; }
    QMenu *lastMenu() const { return m_lastMenu; }
    int menusShown() const { return m_menusShown; }

private:
    bool m_available = true;
    bool m_statusNotifier = false;
    bool m_visible = false;
    QIcon m_icon;
    int m_iconSets = 0;
    QString m_toolTip;
    QRect m_geometry;
    mutable int m_geometryQueries = 0;
    QMenu *m_lastMenu = nullptr;
    std::optional<QColor> m_foreground;
    std::optional<QColor> m_background;
    int m_menusShown = 0;
};
