#include "Views/Shell/AppMenu.h"

#include "Components/Controls/IconButton.h"
#include "Components/Controls/MenuPlacement.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Services/Updates/Updater.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHoverEvent>
#include <QMenu>

AppMenu::AppMenu(Surface &surface, Preferences &preferences, Updater &updater, QWidget *parent)
    : QWidget(parent)
    , m_surface(surface)
    , m_preferences(preferences)
    , m_updater(updater)
    , m_gear(new IconButton(QStringLiteral("gearshape"), this))
    , m_menu(new QMenu(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_gear);
    m_gear->setFixedSize(22, 22);
    m_gear->setSymbolSize(13);
    m_gear->setTone(IconButton::Tone::Secondary);
    m_gear->setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    connect(m_gear, &QAbstractButton::clicked, this, &AppMenu::popup);
    connect(m_menu, &QMenu::aboutToShow, this, &AppMenu::rebuildMenu);
    connect(&updater, &Updater::availableVersionChanged, this, &AppMenu::refreshGear);
    refreshGear();
    rebuildMenu();
}

QAbstractButton *AppMenu::gear() const
{
    return m_gear;
}

bool AppMenu::showsUpdateDot() const
{
    return m_gear->showsDot();
}

bool AppMenu::isGearHighlighted() const
{
    return m_gear->isHighlighted();
}

void AppMenu::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A menu entry that hides the panel leaves the pointer where the gear was, and no leave
    // event ever comes: let go of the hover look, or the next showing starts with it.
    QHoverEvent leave(QEvent::HoverLeave, QPointF(-1, -1), QPointF(-1, -1), QPointF());
    QCoreApplication::sendEvent(m_gear, &leave);
}

void AppMenu::refreshGear()
{
    const QString version = m_updater.availableVersion();
    m_gear->setShowsDot(!version.isEmpty());
    m_gear->setToolTip(
        version.isEmpty() ? QStringLiteral("Settings and more") : QStringLiteral("Vemra %1 is available").arg(version));
    m_gear->setAccessibleName(version.isEmpty() ? QStringLiteral("Settings and more")
                                                : QStringLiteral("Settings and more, update available"));
}

void AppMenu::popup()
{
    MenuPlacement::popUp(m_menu, m_gear, m_gear->isClickFromKeyboard());
}

void AppMenu::checkForUpdates()
{
    // The panel goes first, so the updater's window is not hidden behind it.
    m_surface.close();
    m_updater.checkForUpdates();
}

void AppMenu::rebuildMenu()
{
    m_menu->clear();
    const QString version = m_updater.availableVersion();
    const auto shownShortcut = [](QAction *action, const QKeySequence &keys) {
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
    };

    if (!version.isEmpty()) {
        m_menu->addAction(QStringLiteral("Update to Vemra %1\u2026").arg(version), this, &AppMenu::checkForUpdates);
        m_menu->addSeparator();
    }
    QAction *settings = m_menu->addAction(
        QStringLiteral("Settings\u2026"), this, [this] { m_surface.openSettings(SettingsPane::General); });
    shownShortcut(settings, QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_menu->addAction(QStringLiteral("Open Vemra Window"), this, [this] { m_surface.expand(); });
    if (m_preferences.monitorsClipboard()) {
        m_menu->addSeparator();
        QAction *pause = m_menu->addAction(QStringLiteral("Pause Clipboard History"));
        pause->setCheckable(true);
        pause->setChecked(m_preferences.isClipboardPaused());
        connect(pause, &QAction::toggled, this, [this](bool paused) { m_preferences.setClipboardPaused(paused); });
    }
    m_menu->addSeparator();
    if (version.isEmpty()) {
        m_menu->addAction(QStringLiteral("Check for Updates\u2026"), this, &AppMenu::checkForUpdates)
            ->setEnabled(m_updater.hasUpdateSource());
    }
    m_menu->addAction(QStringLiteral("About Vemra"), this, [this] { m_surface.openSettings(SettingsPane::About); });
    QAction *quit = m_menu->addAction(QStringLiteral("Quit Vemra"), this, &AppMenu::quitRequested);
    shownShortcut(quit, QKeySequence(Qt::CTRL | Qt::Key_Q));
}
