#include "Views/Settings/SettingsRow.h"

#include "Components/Controls/ToneLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

constexpr int titlePixelSize = 13;
constexpr int subtitlePixelSize = 11;
constexpr int controlSpacing = 16;

} // namespace

SettingsRow::SettingsRow(const QString &title, const QString &subtitle, QWidget *control, QWidget *parent)
    : QWidget(parent)
    , m_title(new ToneLabel(title, Theme::primary, this))
    , m_subtitle(new ToneLabel(subtitle, Theme::secondary, this))
    , m_control(control)
{
    auto *line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(controlSpacing);

    auto *labels = new QVBoxLayout;
    labels->setContentsMargins(0, 0, 0, 0);
    labels->setSpacing(2);
    QFont titleFont = m_title->font();
    titleFont.setPixelSize(titlePixelSize);
    m_title->setFont(titleFont);
    m_title->setWordWrap(true);
    m_subtitle->setPixelFont(subtitlePixelSize);
    m_subtitle->setWordWrap(true);
    m_subtitle->setVisible(!subtitle.isEmpty());
    // Beside a tall control the two lines stay together, centred.
    labels->addStretch(1);
    labels->addWidget(m_title);
    labels->addWidget(m_subtitle);
    labels->addStretch(1);
    line->addLayout(labels, 1);

    if (m_control) {
        m_control->setParent(this);
        line->addWidget(m_control, 0, Qt::AlignVCenter | Qt::AlignTrailing);
    }
}

QString SettingsRow::title() const
{
    return m_title->text();
}

void SettingsRow::setTitle(const QString &title)
{
    m_title->setText(title);
}

QString SettingsRow::subtitle() const
{
    return m_subtitle->text();
}

void SettingsRow::setSubtitle(const QString &subtitle)
{
    m_subtitle->setText(subtitle);
    m_subtitle->setVisible(!subtitle.isEmpty());
}
