#include "Views/Clipboard/ClipboardDetail.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/KeyMonitor.h"
#include "Components/Controls/OverflowArea.h"
#include "Components/Controls/PaletteTone.h"
#include "Components/Controls/Plate.h"
#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Symbols.h"
#include "Components/Theme/Theme.h"
#include "Services/Clipboard/ClipboardFacts.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Clipboard/ImageLoader.h"
#include "Views/Clipboard/ClipboardRowDelegate.h"
#include "Views/Clipboard/ClipboardThumbnail.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>

namespace {

constexpr int compactScrollLimit = 380;
// What the panel's preview keeps of its text on a screen too short for all of it.
constexpr int compactScrollLeast = 60;
constexpr int copiedFadeDuration = 150;

// The rounded box the text of an entry sits on.
class TextBox final : public QWidget
{
public:
    TextBox(qreal radius, QWidget *parent)
        : QWidget(parent)
        , m_radius(radius)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), m_radius, m_radius);
        painter.fillPath(shape, Theme::color(Theme::insetFill, palette()));
    }

private:
    qreal m_radius;
};

// The entry's text, selectable, as tall as it is at the width it is given. A word wider than
// the view (a link, base64) wraps anywhere rather than being cut at the edge.
class PreviewText final : public QTextEdit
{
public:
    PreviewText(const QString &text, const QFont &font, QWidget *parent)
        : QTextEdit(parent)
    {
        setFont(font);
        document()->setDefaultFont(font);
        document()->setDocumentMargin(0);
        setReadOnly(true);
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setLineWrapMode(QTextEdit::WidgetWidth);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setContextMenuPolicy(Qt::NoContextMenu);
        setFocusPolicy(Qt::ClickFocus);
        viewport()->setAutoFillBackground(false);
        QPalette transparent = palette();
        transparent.setColor(QPalette::Base, Qt::transparent);
        setPalette(transparent);
        setPlainText(text);
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
        // Only a new text changes the answers; the shown text laid out at its own width does not.
        connect(document(), &QTextDocument::contentsChanged, this, [this] {
            m_heights.clear();
            m_measure.reset();
            updateGeometry();
        });
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        width = qMax(1, width);
        if (const auto known = m_heights.constFind(width); known != m_heights.constEnd())
            return *known;
        // The shown text is never laid out at another width than its own: that would report a
        // new size, the layouts would ask again, and an open preview would never rest.
        const QTextDocument *shown = document();
        int height = 0;
        if (qFuzzyCompare(shown->textWidth(), qreal(width))) {
            height = qCeil(shown->size().height());
        } else {
            if (!m_measure)
                m_measure.reset(shown->clone());
            m_measure->setTextWidth(width);
            height = qCeil(m_measure->size().height());
        }
        if (m_heights.size() >= measuredWidths)
            m_heights.clear();
        m_heights.insert(width, height);
        return height;
    }
    QSize sizeHint() const override { return { 200, heightForWidth(qMax(width(), 200)) }; }
    // The preferred height is the one that counts; a minimum for the width it happens to have
    // before it is laid out would cost a layout at a width it never gets.
    QSize minimumSizeHint() const override { return { 0, 0 }; }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QTextEdit::resizeEvent(event);
        // Its preferred height follows its width.
        if (event->size().width() != event->oldSize().width())
            updateGeometry();
    }

private:
    // The layouts ask at a few widths (the panel's, with and without a scroll bar).
    static constexpr qsizetype measuredWidths = 8;
    mutable QHash<int, int> m_heights;
    // A copy of the text, laid out at the widths asked for before the text has its own.
    mutable std::unique_ptr<QTextDocument> m_measure;
};

// One line of text in a tone, cut with "…" to the width it is given (the whole text in its
// tooltip); it never asks for more room than it gets.
class ElidedLine final : public ToneLabel
{
public:
    ElidedLine(const QString &text, Qt::TextElideMode mode, Theme::Tone tone, const QFont &font, QWidget *parent)
        : ToneLabel(tone, parent)
        , m_text(text)
        , m_mode(mode)
    {
        setFont(font);
        setTextFormat(Qt::PlainText);
        setToolTip(text);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        elide();
    }

    QSize sizeHint() const override { return { fontMetrics().horizontalAdvance(m_text), QLabel::sizeHint().height() }; }
    QSize minimumSizeHint() const override { return { 0, QLabel::minimumSizeHint().height() }; }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        ToneLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() { setText(fontMetrics().elidedText(m_text, m_mode, qMax(0, width()))); }

    QString m_text;
    Qt::TextElideMode m_mode;
};

// The entry's picture, scaled to fit the width and at most `maxHeight`, its aspect kept.
class PictureView final : public QWidget
{
public:
    PictureView(int maxHeight, QWidget *parent)
        : QWidget(parent)
        , m_maxHeight(maxHeight)
    {
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    void setImage(const QImage &image)
    {
        m_image = image;
        updateGeometry();
        update();
    }
    bool hasImage() const { return !m_image.isNull(); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        if (m_image.isNull())
            return 0;
        return qMin(m_maxHeight, qMin(m_image.height(), width * m_image.height() / qMax(1, m_image.width())));
    }
    QSize sizeHint() const override { return { m_image.width(), heightForWidth(m_image.width()) }; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_image.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QSizeF shown = QSizeF(m_image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
        if (shown.width() > m_image.width())
            shown = m_image.size();
        const QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
        QPainterPath clip;
        clip.addRoundedRect(target, 6, 6);
        painter.setClipPath(clip);
        painter.drawImage(target, m_image);
    }

private:
    int m_maxHeight;
    QImage m_image;
};

} // namespace

ClipboardDetail::ClipboardDetail(ClipboardTabState &state, ImageLoader &images, Density density, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_images(images)
    , m_density(density)
    , m_kindSymbol(
          new SymbolIcon(QString(), Densities::font(density, -2, QFont::Medium).pixelSize(), Theme::secondary, this))
    , m_kind(new ToneLabel(Theme::secondary, this))
    , m_content(new QWidget)
    , m_previewBox(new QVBoxLayout)
    , m_facts(new QGridLayout)
    , m_back(new TintedButton(QStringLiteral("Clipboard"), { TintedButtonStyle::Plain, 24, 12 }, this))
    , m_delete(new TintedButton(QStringLiteral("Delete"), { TintedButtonStyle::Tinted, 26, 12 }, this))
    , m_copied(new ToneLabel(Theme::accent, this))
    , m_copy(new TintedButton(QStringLiteral("Copy"), { TintedButtonStyle::Filled, 26, 12 }, this))
    , m_keys(new KeyMonitor(this))
{
    const bool compact = density == Density::Compact;
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(compact ? 10 : 0, 0, compact ? 10 : 0, 8);
    m_back->setSymbol(QStringLiteral("chevron.left"));
    m_back->setToolTip(QStringLiteral("Back (Escape)"));
    connect(m_back, &TintedButton::clicked, &m_state, &ClipboardTabState::closePreview);
    bar->addWidget(m_back);
    bar->addStretch(1);
    m_kind->setFont(Densities::font(density, -2, QFont::Medium));
    bar->addWidget(m_kindSymbol);
    bar->addSpacing(int(Theme::symbolSpacing));
    bar->addWidget(m_kind);
    bar->addSpacing(4);
    column->addLayout(bar);

    auto *inner = new QVBoxLayout(m_content);
    inner->setContentsMargins(compact ? 12 : 0, 4, compact ? 12 : 0, 4);
    inner->setSpacing(14);
    inner->addLayout(m_previewBox);
    m_previewBox->setContentsMargins(0, 0, 0, 0);
    m_facts->setHorizontalSpacing(12);
    m_facts->setVerticalSpacing(4);
    m_facts->setColumnStretch(1, 1);
    inner->addLayout(m_facts);
    inner->addStretch(1);
    // As tall as its content, which it measures again whenever that changes; in the panel up to
    // a limit past which it scrolls, and on a screen too short for all of it down to a little of
    // the text, so that the actions under it stay on screen.
    m_scroll = new OverflowArea(m_content, this);
    if (compact) {
        m_scroll->setMaximumHeight(compactScrollLimit);
        m_scroll->setMostHeld(compactScrollLeast);
    }
    // The arrows scroll the content once Tab reached it.
    m_scroll->setFocusPolicy(Qt::StrongFocus);
    column->addWidget(m_scroll, compact ? 0 : 1);

    if (compact) {
        column->addSpacing(8);
        column->addWidget(Plate::divider(this));
    }

    auto *actions = new QHBoxLayout;
    actions->setContentsMargins(compact ? 12 : 0, compact ? 8 : 20, compact ? 12 : 0, compact ? 8 : 20);
    actions->setSpacing(8);
    m_delete->setDestructive(true);
    actions->addWidget(m_delete);
    actions->addStretch(1);
    m_copied->setFont(Densities::font(density, 12 - Densities::fontSize(density), QFont::Medium));
    m_copied->setText(QStringLiteral("\u2713 Copied"));
    m_copied->hide();
    // The mark fades in with a copy and out 1.4 s later.
    m_copiedMotion
        = new AppearTransition(m_copied, { .durationMs = copiedFadeDuration, .curve = QEasingCurve::OutQuad });
    actions->addWidget(m_copied);
    m_copy->setToolTip(QStringLiteral("Copy (Return copies and closes)"));
    actions->addWidget(m_copy);
    column->addLayout(actions);
    // While the panel shrinks from the list's height to the preview's, the preview already sits
    // where it ends, under the top, rather than spread over the taller tab.
    if (compact)
        column->addStretch(1);

    // Tab goes from the bar down through the content, which scrolls with the arrows, to the
    // actions; Space or Return presses the button it reached, and the other keys keep their meaning.
    for (TintedButton *button : { m_back, m_delete, m_copy })
        button->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(m_back, m_scroll);
    QWidget::setTabOrder(m_scroll, m_delete);
    QWidget::setTabOrder(m_delete, m_copy);

    connect(m_delete, &TintedButton::clicked, this, [this] {
        if (const std::optional<ClipboardItem> item = m_state.previewItem())
            m_state.deleteItem(*item);
    });
    connect(m_copy, &TintedButton::clicked, this, [this] {
        if (const std::optional<ClipboardItem> item = m_state.previewItem())
            m_state.copy(*item, false);
    });
    connect(&m_state, &ClipboardTabState::copiedChanged, this, &ClipboardDetail::refresh);
    connect(&m_state.store(), &ClipboardStore::revisionChanged, this, [this] {
        if (isVisible())
            refresh();
    });
    m_keys->setHandler(
        [this](const QKeyEvent &key) { return m_state.handlePreviewKey(key.key(), key.modifiers(), selectsText()); });
}

void ClipboardDetail::refresh()
{
    const std::optional<ClipboardItem> item = m_state.previewItem();
    if (!item) {
        m_shownID.reset();
        return;
    }
    if (m_shownID != item->id) {
        m_shownID = item->id;
        rebuildPreview(*item);
    }
    updateFacts(*item);
    const ClipboardKind kind = item->kind();
    const QString symbol = kind == ClipboardKind::File ? QStringLiteral("doc") : ClipboardKinds::systemImage(kind);
    m_kindSymbol->setSymbol(symbol);
    m_kind->setText(ClipboardKinds::name(kind));

    m_copiedMotion->setShown(m_state.copiedID() == item->id);
}

void ClipboardDetail::rebuildPreview(const ClipboardItem &item)
{
    delete m_preview;
    m_text = nullptr;
    m_picture = nullptr;
    m_thumbnail = nullptr;
    m_openLink = nullptr;
    m_preview = new QWidget(m_content);
    m_previewBox->addWidget(m_preview);
    auto *box = new QVBoxLayout(m_preview);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(6);
    switch (item.kind()) {
    case ClipboardKind::Text:
    case ClipboardKind::Url:
    case ClipboardKind::Code:
        previewText(item, box);
        break;
    case ClipboardKind::Image:
        previewPicture(item, box);
        break;
    case ClipboardKind::File:
        previewFiles(item, box);
        break;
    }
}

void ClipboardDetail::previewText(const ClipboardItem &item, QVBoxLayout *box)
{
    auto *frame = new TextBox(Densities::cornerRadius(m_density), m_preview);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(10, 10, 10, 10);
    QFont font = Densities::font(m_density);
    if (item.kind() == ClipboardKind::Code) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(int(Densities::fontSize(m_density)) - 1);
    }
    // Only the stored head: a long text's side file is never read here.
    m_text = new PreviewText(item.content, font, frame);
    if (item.kind() == ClipboardKind::Url)
        PaletteTone::apply(m_text, QPalette::Text, Theme::accent);
    frameLayout->addWidget(m_text);
    box->addWidget(frame);
    if (item.textPath) {
        auto *note = new ToneLabel(QStringLiteral("Showing the start of it. Copy it to get all ")
                + ClipboardFacts::byteCount(item.byteCount, QLocale()) + QStringLiteral("."),
            Theme::secondary, m_preview);
        note->setFont(Densities::font(m_density, -2));
        note->setWordWrap(true);
        box->addWidget(note);
    }
    if (item.url()) {
        m_openLink = new TintedButton(QStringLiteral("Open Link"), { TintedButtonStyle::Tinted, 24, 12 }, m_preview);
        connect(m_openLink, &TintedButton::clicked, this, [item] { ClipboardTabState::openLink(item); });
        m_openLink->setFocusPolicy(Qt::TabFocus);
        QWidget::setTabOrder(m_scroll, m_openLink);
        QWidget::setTabOrder(m_openLink, m_delete);
        box->addWidget(m_openLink, 0, Qt::AlignLeft);
    }
}

void ClipboardDetail::previewPicture(const ClipboardItem &item, QVBoxLayout *box)
{
    const int maxHeight = m_density == Density::Compact ? 260 : 480;
    m_thumbnail = new ClipboardThumbnail(m_images, 120, m_preview);
    std::optional<QString> thumbnail;
    if (item.thumbnailPath)
        thumbnail = m_state.store().filePath(*item.thumbnailPath);
    m_thumbnail->setPath(thumbnail);
    box->addWidget(m_thumbnail, 0, Qt::AlignHCenter);
    auto *picture = new PictureView(maxHeight, m_preview);
    m_picture = picture;
    picture->hide();
    box->addWidget(picture);
    if (!item.imagePath)
        return;
    const std::optional<QString> file = m_state.store().filePath(*item.imagePath);
    if (!file)
        return;
    QPointer<PictureView> shown = picture;
    QPointer<ClipboardThumbnail> placeholder = m_thumbnail;
    m_images.load(*file, 1600, picture, [this, shown, placeholder](const QImage &image) {
        // A picture that cannot be decoded leaves the thumbnail in its place.
        if (image.isNull() || !shown)
            return;
        shown->setImage(image);
        shown->show();
        if (placeholder)
            placeholder->hide();
    });
}

void ClipboardDetail::previewFiles(const ClipboardItem &item, QVBoxLayout *box)
{
    const QFont nameFont = Densities::font(m_density);
    const QFont folderFont = Densities::font(m_density, -2);
    for (const QString &path : item.filePaths()) {
        auto *row = new QHBoxLayout;
        row->setSpacing(8);
        auto *icon = new QLabel(m_preview);
        icon->setPixmap(ClipboardRowDelegate::fileIcon(path).pixmap(QSize(20, 20), devicePixelRatioF()));
        icon->setFixedSize(20, 20);
        row->addWidget(icon);
        auto *names = new QVBoxLayout;
        names->setSpacing(0);
        const QFileInfo info(path);
        auto *name = new ElidedLine(info.fileName(), Qt::ElideRight, Theme::primary, nameFont, m_preview);
        name->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto *folder = new ElidedLine(info.path(), Qt::ElideMiddle, Theme::secondary, folderFont, m_preview);
        folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
        names->addWidget(name);
        names->addWidget(folder);
        row->addLayout(names, 1);
        box->addLayout(row);
    }
}

void ClipboardDetail::updateFacts(const ClipboardItem &item)
{
    // In place: a copy made with a key while a value has the focus refreshes the facts, and the
    // focused value must outlive the key's delivery. Rows that are no longer needed go later.
    const QList<ClipboardFacts::Fact> facts = ClipboardFacts::facts(item, ClipboardCalendar::current());
    const QFont font = Densities::font(m_density, -2);
    while (m_factRows.size() > facts.size()) {
        const auto [name, value] = m_factRows.takeLast();
        for (QWidget *shown : { static_cast<QWidget *>(name), static_cast<QWidget *>(value) }) {
            m_facts->removeWidget(shown);
            shown->hide();
            shown->deleteLater();
        }
    }
    for (qsizetype row = 0; row < facts.size(); ++row) {
        if (row == m_factRows.size()) {
            auto *name = new ToneLabel(Theme::secondary, m_content);
            name->setFont(font);
            // A value as long as a source's name wraps, anywhere if it must, within the column.
            auto *value = new PreviewText(QString(), font, m_content);
            m_facts->addWidget(name, int(row), 0, Qt::AlignRight | Qt::AlignTop);
            m_facts->addWidget(value, int(row), 1, Qt::AlignTop);
            m_factRows.append({ name, value });
        }
        const auto [name, value] = m_factRows.at(row);
        name->setText(facts.at(row).label);
        if (value->toPlainText() != facts.at(row).value)
            value->setPlainText(facts.at(row).value);
    }
}

bool ClipboardDetail::selectsText() const
{
    // The label the user selected in (the text, a fact's value, a file row) has the focus.
    const QWidget *focused = QApplication::focusWidget();
    if (!focused || !isAncestorOf(focused))
        return false;
    if (const auto *label = qobject_cast<const QLabel *>(focused))
        return label->hasSelectedText();
    if (const auto *text = qobject_cast<const QTextEdit *>(focused))
        return text->textCursor().hasSelection();
    return false;
}

QList<QPair<QString, QString>> ClipboardDetail::shownFacts() const
{
    QList<QPair<QString, QString>> result;
    for (const auto &[name, value] : m_factRows)
        result.append({ name->text(), value->toPlainText() });
    return result;
}
