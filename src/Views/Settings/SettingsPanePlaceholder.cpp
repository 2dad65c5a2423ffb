#include "Views/Settings/SettingsPanePlaceholder.h"

#include "Components/Theme/SystemColors.h"
#include "Views/Settings/ShortcutRows.h"

#include <QLabel>
#include <QVBoxLayout>

SettingsPanePlaceholder::SettingsPanePlaceholder(SettingsPane pane, const Environment &environment, QWidget *parent)
    : QWidget(parent)
    , m_pane(pane)
    , m_title(new QLabel(SettingsPanes::title(pane), this))
{
    setFixedWidth(paneWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(14);

    QFont heading = m_title->font();
    heading.setPixelSize(15);
    heading.setWeight(QFont::DemiBold);
    m_title->setFont(heading);

    if (pane == SettingsPane::General && environment.hotKeys) {
        column->addWidget(m_title);
        m_shortcutRows = new ShortcutRows(environment.hotKeys, this);
        column->addWidget(m_shortcutRows);
    } else {
        QPalette colors = m_title->palette();
        colors.setColor(QPalette::WindowText, SystemColors::secondary(colors));
        m_title->setPalette(colors);
        m_title->setAlignment(Qt::AlignCenter);
        m_title->setMinimumHeight(100);
        column->addWidget(m_title);
    }
}

QString SettingsPanePlaceholder::title() const
{
    return m_title->text();
}
