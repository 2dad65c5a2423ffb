#include "Views/Clipboard/ClipboardResults.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/IconButton.h"
#include "Components/Controls/Plate.h"
#include "Components/Controls/RollingLabel.h"
#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Services/Clipboard/ClearPrompt.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Views/Clipboard/ClearConfirmation.h"
#include "Views/Clipboard/ClearHistoryMenu.h"
#include "Views/Clipboard/ClipboardListView.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QStackedLayout>
#include <QTextLayout>
#include <QVBoxLayout>

#include <utility>

namespace {

// The item count rolls to a new number; the clear question comes and goes.
constexpr int countRollDuration = 200;
constexpr int confirmationDuration = 180;

ToneLabel *textLabel(const QFont &font, Theme::Tone tone, QWidget *parent)
{
    auto *label = new ToneLabel(tone, parent);
    label->setFont(font);
    return label;
}

// `before` + `middle` + `after` in at most two lines of `width`: what does not fit of `middle`
// (a search text, which may be a pasted document) is cut with "…" before anything is laid out
// whole, and the closing `after` stays.
QString twoLines(const QString &before, const QString &middle, const QString &after, const QFont &font, int width)
{
    QString whole = before + middle + after;
    if (width <= 0)
        return whole;
    QTextLayout layout(whole, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QList<QTextLine> lines;
    for (int i = 0; i < 3; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        lines << line;
    }
    layout.endLayout();
    if (lines.size() < 3)
        return whole;
    const QFontMetrics metrics(font);
    const int firstEnd = lines.first().textStart() + lines.first().textLength();
    const QString first = whole.left(firstEnd).trimmed();
    const QString rest = before.mid(qMin<qsizetype>(firstEnd, before.size()))
        + middle.mid(qMax<qsizetype>(0, firstEnd - before.size()));
    return first + QLatin1Char('\n')
        + metrics.elidedText(rest, Qt::ElideRight, qMax(0, width - metrics.horizontalAdvance(after))) + after;
}

} // namespace

ClipboardResults::ClipboardResults(
    ClipboardTabState &state, Preferences &preferences, ImageLoader &images, Density density, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_preferences(preferences)
    , m_density(density)
    , m_header(textLabel(Densities::font(density, -2, QFont::DemiBold), Theme::secondary, this))
    , m_list(new ClipboardListView(state, images, density, this))
    , m_showMore(new TintedButton(
          density == Density::Compact ? QStringLiteral("Show All in Window") : QStringLiteral("Show More"),
          { TintedButtonStyle::Plain, 24, 12 }, this))
    , m_listBox(new QWidget(this))
    , m_emptyBox(new QWidget(this))
    , m_emptyTitle(textLabel(Densities::font(density, 0, QFont::Medium), Theme::secondary, m_emptyBox))
    , m_emptyMessage(textLabel(Densities::font(density, -1), Theme::tertiary, m_emptyBox))
{
    const bool compact = density == Density::Compact;
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *listColumn = new QVBoxLayout(m_listBox);
    listColumn->setContentsMargins(compact ? 6 : 0, compact ? 8 : 12, compact ? 6 : 0, compact ? 8 : 0);
    listColumn->setSpacing(2);
    m_header->setContentsMargins(10, 4, 10, 2);
    m_header->setAccessibleName(QStringLiteral("Results"));
    // A list that shrinks (a deletion) is at once shorter than its box, until the box takes the
    // change in; meanwhile the room it gave up lies under it, not in the header above it.
    m_header->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    listColumn->addWidget(m_header);
    if (compact)
        listColumn->addWidget(m_list, 0, Qt::AlignTop);
    else
        listColumn->addWidget(m_list, 1);
    m_showMore->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *moreBox = new QHBoxLayout;
    moreBox->setContentsMargins(0, 6, 0, 6);
    moreBox->addWidget(m_showMore);
    listColumn->addLayout(moreBox);
    column->addWidget(m_listBox, compact ? 0 : 1);

    auto *emptyColumn = new QVBoxLayout(m_emptyBox);
    emptyColumn->setContentsMargins(20, 0, 20, 0);
    emptyColumn->setSpacing(4);
    emptyColumn->addStretch(1);
    m_emptyTitle->setAlignment(Qt::AlignHCenter);
    m_emptyTitle->setWordWrap(true);
    m_emptyMessage->setAlignment(Qt::AlignHCenter);
    m_emptyMessage->setWordWrap(true);
    emptyColumn->addWidget(m_emptyTitle);
    emptyColumn->addWidget(m_emptyMessage);
    emptyColumn->addStretch(1);
    if (compact)
        m_emptyBox->setFixedHeight(112);
    column->addWidget(m_emptyBox, compact ? 0 : 1);

    if (compact)
        column->addWidget(Plate::divider(this));
    column->addWidget(makeFooter());

    m_showMore->setFocusPolicy(Qt::TabFocus);
    connect(m_showMore, &TintedButton::clicked, &m_state, &ClipboardTabState::showMore);
    const ClipboardListModel &model = m_state.list();
    connect(&model, &ClipboardListModel::summaryChanged, this, &ClipboardResults::refreshSummary);
    connect(&m_state, &ClipboardTabState::clearingChanged, this, &ClipboardResults::refreshClearing);
    connect(&m_preferences, &Preferences::monitorsClipboardChanged, this, &ClipboardResults::refreshPause);
    connect(&m_preferences, &Preferences::clipboardPausedChanged, this, &ClipboardResults::refreshPause);
    m_emptyTitle->installEventFilter(this);
    refreshSummary();
    refreshPause();
    refreshClearing();
}

QWidget *ClipboardResults::makeFooter()
{
    const bool compact = m_density == Density::Compact;
    auto *footer = new QWidget(this);
    m_footerStack = new QStackedLayout(footer);

    m_footerControls = new QWidget(footer);
    const QFont statusFont = Densities::font(m_density, compact ? -2 : -3);
    m_status = new RollingLabel(Theme::secondary, m_footerControls);
    m_status->setPixelFont(statusFont.pixelSize());
    m_status->setDuration(countRollDuration);
    m_statusSymbol
        = new SymbolIcon(QStringLiteral("laptopcomputer"), statusFont.pixelSize(), Theme::secondary, m_footerControls);
    m_clearMenu = new ClearHistoryMenu(ClearHistoryMenu::Style::Footer, m_footerControls);
    m_pause = new IconButton(QString(), m_footerControls);
    m_pause->setFixedSize(22, 22);
    m_pause->setSymbolSize(13);
    m_pause->setFocusPolicy(Qt::TabFocus);
    auto *status = new QHBoxLayout;
    status->setSpacing(4);
    status->addWidget(m_statusSymbol);
    status->addWidget(m_status);

    if (compact) {
        m_footerControls->setMinimumHeight(38);
        auto *row = new QHBoxLayout(m_footerControls);
        row->setContentsMargins(16, 0, 10, 0);
        row->setSpacing(12);
        row->addLayout(status);
        row->addStretch(1);
        row->addWidget(m_clearMenu);
        row->addWidget(m_pause);
        m_expand = new IconButton(QStringLiteral("arrow.up.left.and.arrow.down.right"), m_footerControls);
        m_expand->setFixedSize(22, 22);
        m_expand->setSymbolSize(11);
        m_expand->setToolTip(QStringLiteral("Open in window (Ctrl+O)"));
        m_expand->setAccessibleName(QStringLiteral("Open in window"));
        m_expand->setFocusPolicy(Qt::TabFocus);
        row->addWidget(m_expand);
        const auto expand = [this] { m_state.surface().expand(); };
        connect(m_expand, &IconButton::clicked, this, expand);
        // Bound to the button, so Ctrl+O works only while this footer is on screen.
        auto *open = new QAction(QStringLiteral("Open in window"), m_expand);
        open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
        open->setShortcutContext(Qt::WindowShortcut);
        connect(open, &QAction::triggered, this, expand);
        m_expand->addAction(open);
    } else {
        m_footerControls->setMinimumHeight(44);
        auto *stack = new QVBoxLayout(m_footerControls);
        stack->setContentsMargins(0, 14, 0, 24);
        stack->setSpacing(10);
        stack->addLayout(status);
        status->setAlignment(Qt::AlignHCenter);
        auto *row = new QHBoxLayout;
        row->setSpacing(4);
        row->addStretch(1);
        row->addWidget(m_clearMenu);
        row->addWidget(m_pause);
        row->addStretch(1);
        stack->addLayout(row);
    }
    m_footerStack->addWidget(m_footerControls);

    m_confirmationBox = new QWidget(footer);
    auto *box = new QHBoxLayout(m_confirmationBox);
    box->setContentsMargins(compact ? 16 : 0, compact ? 0 : 14, compact ? 10 : 0, compact ? 0 : 24);
    m_footerStack->addWidget(m_confirmationBox);

    connect(m_clearMenu, &ClearHistoryMenu::chosen, &m_state, &ClipboardTabState::beginClearing);
    connect(m_pause, &IconButton::clicked, this,
        [this] { m_preferences.setClipboardPaused(!m_preferences.isClipboardPaused()); });
    return footer;
}

bool ClipboardResults::showsEmptyState() const
{
    return m_state.list().items().isEmpty();
}

void ClipboardResults::refreshSummary()
{
    const ClipboardListModel &model = m_state.list();
    const bool empty = model.items().isEmpty();
    m_header->setText(model.headerTitle());
    m_showMore->setVisible(model.hasMore());
    m_listBox->setVisible(!empty);
    m_emptyBox->setVisible(empty);
    if (m_state.query().isEmpty()) {
        m_emptyTitle->setText(QStringLiteral("Nothing copied yet."));
        m_emptyMessage->setText(QStringLiteral("Copy something and it shows up here."));
    } else {
        refreshNoMatchTitle();
        m_emptyMessage->setText(QStringLiteral("Search looks through text, links, code and app names."));
    }

    const qint64 total = model.totalCount();
    const bool none = total == 0;
    m_status->setText(none
            ? QStringLiteral("Saved on this computer")
            : QLocale().toString(total) + (total == 1 ? QStringLiteral(" item") : QStringLiteral(" items")));
    m_statusSymbol->setVisible(none);
    fitList();
}

void ClipboardResults::refreshNoMatchTitle()
{
    // Cut to what the label can show before it lays anything out: the title keeps two lines.
    const QString query = m_state.query();
    // Until the label is laid out it has no width of its own; the panel's is a fair guess.
    const int width = m_emptyTitle->isVisible() ? m_emptyTitle->contentsRect().width() - 2 : 0;
    m_emptyTitle->setText(
        twoLines(QStringLiteral("No matches for \u201C"), query.size() > noMatchEcho ? query.left(noMatchEcho) : query,
            QStringLiteral("\u201D."), m_emptyTitle->font(), width > 0 ? width : noMatchFallbackWidth));
}

void ClipboardResults::fitList()
{
    if (m_density != Density::Compact)
        return;
    m_list->setFittedHeight(qMin(m_list->contentHeight(m_list->width()), compactListMaxHeight));
}

void ClipboardResults::refreshPause()
{
    m_pause->setVisible(m_preferences.monitorsClipboard());
    const bool paused = m_preferences.isClipboardPaused();
    m_pause->setSymbol(paused ? QStringLiteral("play.circle") : QStringLiteral("pause.circle"));
    m_pause->setTone(paused ? IconButton::Tone::Tint : IconButton::Tone::Secondary);
    const QString title
        = paused ? QStringLiteral("Resume Clipboard History") : QStringLiteral("Pause Clipboard History");
    m_pause->setToolTip(title);
    m_pause->setAccessibleName(title);
}

void ClipboardResults::refreshClearing()
{
    ClearPrompt *prompt = m_state.clearing();
    if (ClearConfirmation *leaving = std::exchange(m_confirmation, nullptr)) {
        // Its question is over (its buttons reach nothing now); it fades and goes later (Escape
        // closes it while one of its buttons may have the focus).
        leaving->setAttribute(Qt::WA_TransparentForMouseEvents);
        auto *motion = leaving->findChild<AppearTransition *>();
        connect(motion, &AppearTransition::finished, leaving, [this, leaving] {
            leaving->deleteLater();
            if (!m_confirmation)
                m_footerStack->setCurrentWidget(m_footerControls);
        });
        if (prompt)
            motion->jumpTo(false);
        else
            motion->setShown(false);
    } else if (!prompt) {
        m_footerStack->setCurrentWidget(m_footerControls);
    }
    if (!prompt)
        return;
    m_confirmation = new ClearConfirmation(*prompt, m_confirmationBox);
    if (m_density == Density::Regular)
        m_confirmation->setMaximumWidth(420);
    m_confirmation->hide();
    m_confirmationBox->layout()->addWidget(m_confirmation);
    m_footerStack->setCurrentWidget(m_confirmationBox);
    // It opens and closes with a fade and a scale from 0.97 about its centre.
    auto *motion = new AppearTransition(
        m_confirmation, { .durationMs = confirmationDuration, .scaleFrom = 0.97, .curve = QEasingCurve::OutCubic });
    motion->setShown(true);
}

void ClipboardResults::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Titles wrap by the width, so the rows' height is known only once the width is.
    fitList();
}

bool ClipboardResults::eventFilter(QObject *watched, QEvent *event)
{
    // The title is cut for its width: again when the width is known or changes.
    if (watched == m_emptyTitle && (event->type() == QEvent::Resize || event->type() == QEvent::Show)
        && !m_state.query().isEmpty())
        refreshNoMatchTitle();
    return QWidget::eventFilter(watched, event);
}
