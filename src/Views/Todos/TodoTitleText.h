#pragma once

#include "Components/Theme/Density.h"

#include <QStringList>

#include <QWidget>
#include <optional>

// The title block of a todo row: the title wrapped to at most the density's line limit (the
// last shown line ends in an ellipsis when more text follows), struck through and dimmed once
// the todo is done, and under it, for an overdue todo, the name of its day.
class Transition;

class TodoTitleText final : public QWidget
{
    Q_OBJECT

public:
    explicit TodoTitleText(Density density, QWidget *parent = nullptr);

    void setTitle(const QString &title);
    // A change while shown eases over 0.2 s.
    void setDone(bool done);
    // The overdue day's name; empty for none.
    void setOverdueLabel(const QString &label);

    QString title() const { return m_title; }
    QString overdueLabel() const { return m_overdue; }
    // The lines shown at `width`, the last one elided when the title is longer.
    QStringList lines(int width) const;

    // The same lines for any title, and the block's height, without a widget: a list measures
    // every todo this way and makes widgets only for the rows it shows. A title that fits on one
    // line is measured without being laid out.
    // `oneLine`, when given, is set to the width the title takes when it stands on one line at
    // `width`, where it stays at any greater width; to 0 when it wraps.
    static QStringList lines(const QString &title, Density density, int width);
    static int lineCount(const QString &title, Density density, int width, qreal *oneLine = nullptr);
    static int heightFor(const QString &title, bool overdue, Density density, int width, qreal *oneLine = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Where each line starts, for a title whose characters need no shaping, with `oneLine` as
    // above; nothing for any other title, which a text layout wraps.
    static std::optional<QList<qsizetype>> plainWrap(
        const QString &text, const QFont &font, int width, int limit, qreal *oneLine = nullptr);
    QFont titleFont() const;
    QFont overdueFont() const;

    Density m_density;
    QString m_title;
    QString m_overdue;
    bool m_done = false;
    // Eases the change of completion: the colour and the strike-through line.
    Transition *m_doneLook;
    mutable int m_cachedWidth = -1;
    mutable QStringList m_cachedLines;
};
