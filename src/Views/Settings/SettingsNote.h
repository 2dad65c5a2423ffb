#pragma once

#include <QWidget>

class FolderPathField;
class SymbolIcon;
class ToneLabel;

// A short line under the row it explains: a symbol and a sentence in the callout font. A
// problem note is orange with a warning triangle; an information note is secondary with an
// information symbol. Without a sentence the note hides itself.
class SettingsNote final : public QWidget
{
    Q_OBJECT

public:
    enum class Tone { Problem, Information };

    explicit SettingsNote(QWidget *parent = nullptr);

    // Shows `text` in `tone`, or hides the note when `text` is empty.
    void setNote(Tone tone, const QString &text);
    QString text() const;
    // Hands the path in `field` over, selected to copy, and says here why, for as long as the
    // path stays selected.
    void handOver(FolderPathField &field);
    Tone tone() const { return m_tone; }

private:
    QWidget *m_symbolBox;
    SymbolIcon *m_symbol;
    ToneLabel *m_text;
    Tone m_tone = Tone::Information;
    QMetaObject::Connection m_handOver;
};
