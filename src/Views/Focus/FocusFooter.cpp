#include "Views/Focus/FocusFooter.h"

#include "Components/Controls/IconButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Models/Focus/FocusWording.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/Surface.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>

FocusFooter::FocusFooter(FocusSessionManager &focus, HotKeys &hotKeys, Surface &surface, QWidget *parent)
    : QWidget(parent)
    , m_focus(focus)
    , m_hotKeys(hotKeys)
    , m_status(new ToneLabel(Theme::secondary, this))
    , m_expand(new IconButton(QStringLiteral("arrow.up.left.and.arrow.down.right"), this))
{
    setFixedHeight(38);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 10, 0);
    row->setSpacing(12);
    m_status->setPixelFont(11);
    row->addWidget(m_status);
    row->addStretch(1);

    m_expand->setFixedSize(22, 22);
    m_expand->setSymbolSize(12);
    m_expand->setToolTip(QStringLiteral("Open in window (Ctrl+O)"));
    m_expand->setAccessibleName(QStringLiteral("Open in window"));
    m_expand->setFocusPolicy(Qt::TabFocus);
    row->addWidget(m_expand);
    const auto expand = [&surface] { surface.expand(); };
    connect(m_expand, &IconButton::clicked, this, expand);
    // Bound to the button, so Ctrl+O works only while this footer is on screen.
    auto *openAction = new QAction(QStringLiteral("Open in window"), m_expand);
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openAction->setShortcutContext(Qt::WindowShortcut);
    connect(openAction, &QAction::triggered, this, expand);
    m_expand->addAction(openAction);

    connect(&m_focus, &FocusSessionManager::sessionChanged, this, &FocusFooter::refresh);
    connect(m_hotKeys.focus(), &HotKeyCenter::comboChanged, this, &FocusFooter::refresh);
    refresh();
}

QString FocusFooter::statusText() const
{
    return m_status->text();
}

void FocusFooter::refresh()
{
    if (const std::optional<FocusSession> active = m_focus.activeSession()) {
        m_status->setText(QStringLiteral("Started ") + FocusWording::shortTime(active->startedAt));
    } else if (m_hotKeys.focus()->combo()) {
        m_status->setText(m_hotKeys.focus()->combo()->displayName() + QStringLiteral(" opens Focus from any app"));
    } else {
        m_status->setText(QStringLiteral("Keeps going with Vemra closed"));
    }
}
