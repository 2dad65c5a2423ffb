#pragma once

#include "Models/Clipboard/ClearRequest.h"

#include <QWidget>

class QMenu;
class TintedButton;

// The choices of what to delete from the clipboard history: today's, last week's, last
// month's or everything. In the list's footer it is a small "Clear History" button that pops
// up the menu; in the settings it is a "Clear…" pull-down. Choosing never deletes anything:
// it reports the request, and the host asks for confirmation.
class ClearHistoryMenu final : public QWidget
{
    Q_OBJECT

public:
    enum class Style { Footer, Settings };

    explicit ClearHistoryMenu(Style style, QWidget *parent = nullptr);

    Style style() const { return m_style; }
    TintedButton *button() const { return m_button; }
    // The menu, built afresh: the section "Clear Clipboard History", the three periods, a
    // separator and "Delete All Clipboard…". Its actions emit chosen().
    QMenu *makeMenu(QWidget *parent);

Q_SIGNALS:
    void chosen(const ClearRequest &request);

private:
    void popUp();

    Style m_style;
    TintedButton *m_button;
};
