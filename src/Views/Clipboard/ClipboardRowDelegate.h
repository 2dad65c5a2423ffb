#pragma once

#include "Components/Theme/Density.h"
#include "Models/Clipboard/ClipboardCalendar.h"

#include <QHash>
#include <QIcon>
#include <QSet>
#include <QStyledItemDelegate>
#include <QUuid>
#include <QVariantAnimation>

#include <functional>
#include <optional>

struct ClipboardItem;
class ClipboardTabState;
class ImageLoader;
class Transition;

// Draws the history rows: the kind's symbol (or the file type's icon), the title in as many
// lines as the density allows, the copy time with the source and the copy count (or the
// "Copied" mark), the picture of an image entry and, on a hovered or selected row, the round
// "More" button. Pictures are decoded off the main thread through the image loader; a row
// never waits for one and shows a placeholder until it arrives.
class ClipboardRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    ClipboardRowDelegate(ClipboardTabState &state, ImageLoader &images, Density density, QObject *parent = nullptr);

    // The "More" button of a row drawn in `rowRect`.
    QRect moreButtonRect(const QRect &rowRect) const;
    // The icon of a file's type, by its extension alone.
    static QIcon fileIcon(const QString &path);
    // A title in at most `lines` lines of `width`, wrapped at words and at the text's own line
    // breaks; the last shows its own line of the text, cut with an ellipsis when more follows.
    static QList<QString> wrappedTitle(const QString &text, const QFont &font, qreal width, int lines);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Whether the row's picture is at hand (decoded and cached).
    bool hasPicture(const ClipboardItem &item) const;
    // A picture that failed to load is tried again once its row shows again: the list calls this
    // as rows leave the view (with `shown` telling the rows still in it) and, without, on show.
    void forgetFailures(const std::function<bool(const QUuid &)> &shown = {});
    // How much of the "Copied" mark a row shows now (0 its details, 1 the mark).
    qreal copiedMarkOpacity(const QUuid &id) const;
    bool isFading() const { return m_markFade.state() == QAbstractAnimation::Running; }
    // The row under the pointer (none once it left the rows): it shows its "More" button.
    void setHovered(const std::optional<QUuid> &id);
    // How much of a row's "More" button shows now: it fades in on the hovered or selected row.
    qreal moreButtonOpacity(const QUuid &id) const;

Q_SIGNALS:
    // The rows look different without their data having changed (a fade's step).
    void lookChanged();

private:
    void fadeCopiedMark();
    void fadeMoreButtons();
    struct Layout;
    Layout layout(const ClipboardItem &item, const QRect &rect) const;
    void paintPicture(QPainter *painter, const ClipboardItem &item, const QRectF &box, QWidget *view) const;
    QString pictureKey(const QString &path) const;
    const QList<QString> &titleLines(const ClipboardItem &item, const QFont &font, qreal width) const;

    ClipboardTabState &m_state;
    ImageLoader &m_images;
    Density m_density;
    ClipboardCalendar m_calendar;
    QFont m_titleFont;
    QFont m_codeFont;
    QFont m_detailFont;
    QFont m_symbolFont;
    // Heights by row and width: a title is laid out once per width.
    mutable QHash<QUuid, QPair<int, int>> m_heights;
    struct TitleLines
    {
        qreal width;
        QList<QString> lines;
    };
    mutable QHash<QUuid, TitleLines> m_titles;
    mutable QSet<QString> m_loading;
    // Pictures that could not be loaded, by key, with their row.
    mutable QHash<QString, QUuid> m_failed;
    QVariantAnimation m_markFade;
    std::optional<QUuid> m_marked;
    std::optional<QUuid> m_unmarked;
    std::optional<QUuid> m_hovered;
    // The "More" buttons showing or fading, by row; the others are not drawn.
    QHash<QUuid, Transition *> m_moreFades;
};
