#include "Views/Clipboard/ClearConfirmation.h"

#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Services/Clipboard/ClearPrompt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel *line(int pixelSize, QFont::Weight weight, QWidget *parent)
{
    auto *label = new QLabel(parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setMaximumHeight(QFontMetrics(font).lineSpacing() * 2 + 2);
    return label;
}

} // namespace

ClearConfirmation::ClearConfirmation(ClearPrompt &prompt, QWidget *parent)
    : QWidget(parent)
    , m_prompt(prompt)
    , m_title(line(12, QFont::Medium, this))
    , m_message(new ToneLabel(Theme::secondary, this))
    , m_ok(new TintedButton(QStringLiteral("OK"), { TintedButtonStyle::Gray, 26, 12 }, this))
    , m_cancel(new TintedButton(QStringLiteral("Cancel"), { TintedButtonStyle::Gray, 26, 12 }, this))
    , m_delete(new TintedButton(prompt.deleteLabel(), { TintedButtonStyle::Filled, 26, 12 }, this))
{
    m_message->setPixelFont(11);
    m_message->setWordWrap(true);
    m_message->setMaximumHeight(QFontMetrics(m_message->font()).lineSpacing() * 2 + 2);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 6, 0, 6);
    row->setSpacing(8);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(m_title);
    texts->addWidget(m_message);
    row->addLayout(texts, 1);
    row->addWidget(m_ok);
    row->addWidget(m_cancel);
    row->addWidget(m_delete);
    m_delete->setDestructive(true);
    for (TintedButton *button : { m_ok, m_cancel, m_delete })
        button->setFocusPolicy(Qt::TabFocus);

    connect(m_ok, &TintedButton::clicked, &m_prompt, &ClearPrompt::dismiss);
    connect(m_cancel, &TintedButton::clicked, &m_prompt, &ClearPrompt::dismiss);
    connect(m_delete, &TintedButton::clicked, &m_prompt, &ClearPrompt::confirm);
    connect(&m_prompt, &ClearPrompt::countChanged, this, &ClearConfirmation::refresh);
    refresh();
}

void ClearConfirmation::refresh()
{
    m_title->setText(m_prompt.title());
    const QString message = m_prompt.message();
    m_message->setText(message);
    m_message->setVisible(!message.isEmpty());
    const bool empty = m_prompt.isEmpty();
    m_ok->setVisible(empty);
    m_cancel->setVisible(!empty);
    m_delete->setVisible(!empty);
}
