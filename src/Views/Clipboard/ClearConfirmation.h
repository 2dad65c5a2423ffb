#pragma once

#include "Components/Controls/ToneLabel.h"

#include <QWidget>

class ClearPrompt;
class QLabel;
class TintedButton;

// The one-line question that replaces a footer before part of the clipboard history is
// deleted: how many items would go (following the store), the date line, and "Cancel" with
// "Delete" or "Delete All" — or only "OK" when there is nothing to delete.
class ClearConfirmation final : public QWidget
{
    Q_OBJECT

public:
    explicit ClearConfirmation(ClearPrompt &prompt, QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_title; }
    QLabel *messageLabel() const { return m_message; }
    TintedButton *cancelButton() const { return m_cancel; }
    TintedButton *deleteButton() const { return m_delete; }
    TintedButton *okButton() const { return m_ok; }

private:
    void refresh();

    ClearPrompt &m_prompt;
    QLabel *m_title;
    ToneLabel *m_message;
    TintedButton *m_ok;
    TintedButton *m_cancel;
    TintedButton *m_delete;
};
