#include "Views/Clipboard/ClearHistoryMenu.h"

#include "Components/Controls/MenuPlacement.h"
#include "Components/Controls/TintedButton.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QMenu>

ClearHistoryMenu::ClearHistoryMenu(Style style, QWidget *parent)
    : QWidget(parent)
    , m_style(style)
    , m_button(style == Style::Footer
              ? new TintedButton(QStringLiteral("Clear History"), { TintedButtonStyle::Plain, 24, 12 }, this)
              : new TintedButton(QStringLiteral("Clear\u2026"), { TintedButtonStyle::Gray, 26, 12 }, this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_button);
    if (style == Style::Footer)
        m_button->setToolTip(QStringLiteral("Delete clipboard history"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_button->setFocusPolicy(Qt::TabFocus);
    connect(m_button, &TintedButton::clicked, this, &ClearHistoryMenu::popUp);
}

QMenu *ClearHistoryMenu::makeMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->addSection(QStringLiteral("Clear Clipboard History"));
    const std::pair<const char16_t *, ClipboardPeriod> periods[] {
        { u"Delete Today\u2019s Clipboard", ClipboardPeriod::Today },
        { u"Delete Last Week\u2019s Clipboard", ClipboardPeriod::LastWeek },
        { u"Delete Last Month\u2019s Clipboard", ClipboardPeriod::LastMonth },
    };
    for (const auto &[title, period] : periods) {
        const ClearRequest request = ClearRequest::of(period);
        connect(menu->addAction(QString::fromUtf16(title)), &QAction::triggered, this,
            [this, request] { Q_EMIT chosen(request); });
    }
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Delete All Clipboard\u2026")), &QAction::triggered, this,
        [this] { Q_EMIT chosen(ClearRequest::all()); });
    return menu;
}

void ClearHistoryMenu::popUp()
{
    QMenu *menu = makeMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The footer's menu opens at the pointer, the settings' pull-down beside its button; opened
    // from the keyboard, away from the pointer, it opens beside its button too.
    const bool fromKeyboard = m_button->isClickFromKeyboard();
    if (m_style == Style::Footer && !fromKeyboard)
        menu->popup(QCursor::pos());
    else
        MenuPlacement::popUp(menu, m_button, fromKeyboard);
}
