#include "App/SettingsWindowController.h"

#include "App/HostWindow.h"

#include <QLabel>
#include <QVBoxLayout>

SettingsWindowController::SettingsWindowController(SettingsPane pane, QObject *parent)
    : QObject(parent)
    , m_window(new HostWindow)
    , m_pane(pane)
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(24, 24, 24, 24);
    m_title = new QLabel(content);
    QFont font = m_title->font();
    font.setPixelSize(15);
    font.setBold(true);
    m_title->setFont(font);
    layout->addWidget(m_title);
    layout->addStretch(1);
    m_window->setContent(content);
    m_window->resize(520, 360);
    select(pane);
}

SettingsWindowController::~SettingsWindowController()
{
    delete m_window;
}

void SettingsWindowController::show(SettingsPane pane)
{
    select(pane);
    // Centred the first time; after that it stays where the user left it.
    if (!m_hasBeenShown) {
        m_hasBeenShown = true;
        m_window->show();
        m_window->centreOnScreen();
    }
    m_window->bringToFront();
}

void SettingsWindowController::select(SettingsPane pane)
{
    m_pane = pane;
    m_title->setText(SettingsPanes::title(pane));
    m_window->setWindowTitle(SettingsPanes::title(pane));
}
