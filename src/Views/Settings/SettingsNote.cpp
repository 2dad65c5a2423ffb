#include "Views/Settings/SettingsNote.h"

#include "Components/Controls/FolderPathField.h"
#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/ToneLabel.h"
#include "Services/Shell/ShowInFolder.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

constexpr int calloutPixelSize = 12;

} // namespace

SettingsNote::SettingsNote(QWidget *parent)
    : QWidget(parent)
    , m_symbolBox(new QWidget(this))
    , m_symbol(new SymbolIcon(QStringLiteral("info.circle"), calloutPixelSize, Theme::secondary, m_symbolBox))
    , m_text(new ToneLabel(Theme::secondary, this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(m_symbolBox, 0, Qt::AlignTop);
    row->addWidget(m_text, 1);
    m_text->setPixelFont(calloutPixelSize);
    m_text->setWordWrap(true);
    // The symbol sits centred on the first line of the sentence.
    m_symbolBox->setFixedSize(calloutPixelSize + 2, QFontMetrics(m_text->font()).height());
    auto *symbolLayout = new QVBoxLayout(m_symbolBox);
    symbolLayout->setContentsMargins(0, 0, 0, 0);
    symbolLayout->addWidget(m_symbol, 0, Qt::AlignCenter);
    hide();
}

void SettingsNote::setNote(Tone tone, const QString &text)
{
    m_tone = tone;
    m_text->setText(text);
    const Theme::Tone ink = tone == Tone::Problem ? Theme::warning : Theme::secondary;
    m_symbol->setSymbol(
        tone == Tone::Problem ? QStringLiteral("exclamationmark.triangle.fill") : QStringLiteral("info.circle"));
    m_symbol->setTone(ink);
    m_text->setTone(ink);
    setVisible(!text.isEmpty());
}

QString SettingsNote::text() const
{
    return m_text->text();
}

void SettingsNote::handOver(FolderPathField &field)
{
    field.handOver();
    const QString said = ShowInFolder::noFileManager() + u' ' + ShowInFolder::copyHint();
    setNote(Tone::Information, said);
    disconnect(m_handOver);
    m_handOver = connect(&field, &FolderPathField::handOverEnded, this, [this, said] {
        disconnect(m_handOver);
        // Unless it says something else by now.
        if (text() == said)
            setNote(Tone::Information, {});
    });
}
