#include "Views/Settings/SettingsForm.h"

#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Views/Settings/SettingsSection.h"

#include <QApplication>
#include <QVBoxLayout>

namespace {

constexpr int margin = 20;
constexpr int sectionSpacing = 14;
constexpr int footerSpacing = 6;
constexpr int formCalloutPixelSize = 12;

} // namespace

SettingsForm::SettingsForm(QWidget *parent)
    : QWidget(parent)
    , m_column(new QVBoxLayout(this))
{
    setFixedWidth(paneWidth);
    m_column->setContentsMargins(margin, margin, margin, margin);
    m_column->setSpacing(sectionSpacing);
}

SettingsSection *SettingsForm::addSection()
{
    m_group = new QVBoxLayout;
    m_group->setSpacing(footerSpacing);
    m_column->addLayout(m_group);
    auto *section = new SettingsSection(this);
    m_group->addWidget(section);
    return section;
}

ToneLabel *SettingsForm::addFooter(const QString &text)
{
    auto *footer = new ToneLabel(text, Theme::secondary);
    footer->setWordWrap(true);
    footer->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    addFooter(footer);
    return footer;
}

void SettingsForm::addFooter(QWidget *footer)
{
    Q_ASSERT(m_group);
    footer->setParent(this);
    styleAsFooter(footer);
    footer->setContentsMargins(SettingsSection::rowPadding, 0, SettingsSection::rowPadding, 0);
    m_group->addWidget(footer);
}

void SettingsForm::styleAsFooter(QWidget *widget)
{
    QFont callout = widget->font();
    callout.setPixelSize(formCalloutPixelSize);
    widget->setFont(callout);
}

TintedButton *SettingsForm::button(const QString &text, QWidget *parent)
{
    return new TintedButton(text, { TintedButtonStyle::Gray, 26, 12 }, parent);
}

void SettingsForm::setEnabledKeepingFocus(QWidget *part, bool enabled)
{
    QWidget *focused = QApplication::focusWidget();
    if (!enabled && part->isEnabled() && focused && (focused == part || part->isAncestorOf(focused))) {
        m_focusBeforeDisabled = focused;
        setFocus(Qt::OtherFocusReason);
    }
    part->setEnabled(enabled);
    if (enabled && m_focusBeforeDisabled
        && (m_focusBeforeDisabled == part || part->isAncestorOf(m_focusBeforeDisabled))) {
        const QWidget *now = window()->focusWidget();
        if (!now || now == this)
            m_focusBeforeDisabled->setFocus(Qt::OtherFocusReason);
        m_focusBeforeDisabled = nullptr;
    }
}
