#pragma once

#include <QColor>
#include <QObject>
#include <QRect>

#include <optional>

class QIcon;
class QMenu;
class QString;

// The application's icon in the desktop's tray. The desktop decides where it sits; the icon
// reports its clicks and can pop a menu up from itself.
class TrayHost : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether a tray host shows icons right now (false on a bare X server).
    virtual bool isAvailable() const = 0;
    // Whether the host speaks StatusNotifierItem; such hosts never tell where the icon is. False
    // until the session bus has said.
    virtual bool usesStatusNotifier() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void setIcon(const QIcon &icon) = 0;
    virtual void setToolTip(const QString &text) = 0;
    // The icon's rectangle in global coordinates; empty while the host has not placed it.
    virtual QRect geometry() const = 0;
    // Pops the menu up at the icon (or at the pointer) and returns once it is dismissed.
    virtual void showMenu(QMenu *menu) = 0;
    // The colour the tray asks its icons to draw in, when it names one.
    virtual std::optional<QColor> foreground() const = 0;
    // The colour of the tray behind the icon, when it can be seen (for a host that draws the
    // icon itself, the colour of its panel, as last learnt: none until then).
    virtual std::optional<QColor> background() const = 0;

Q_SIGNALS:
    // The primary button, with the keyboard modifiers held at the click.
    void clicked(Qt::KeyboardModifiers modifiers);
    // The secondary button.
    void contextClicked();
    // The tray may have moved the icon (it re-laid its icons, or moved itself); geometry() tells
    // where it is now.
    void geometryChanged();
    // What the tray's host is, or the colours it shows, became known or changed:
    // usesStatusNotifier(), foreground() and background() may answer anew.
    void hostChanged();
};
