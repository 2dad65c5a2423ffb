#pragma once

#include "Components/Theme/Theme.h"

#include <QList>
#include <QVariantAnimation>
#include <QWidget>

// A one-line label whose numbers roll when they change: each changed digit slides out and its
// successor slides in, upwards when the number grew and downwards when it shrank, while the
// unchanged characters stay put. Digits take equal widths (tabular figures), so a count that
// changes does not shift its neighbours. A label may instead always roll one way (a title that
// counts up whichever way it steps). Drawn in a theme tone resolved at paint time.
//
//     auto *count = new RollingLabel(Theme::secondary, footer);
//     count->setText(QStringLiteral("%1 items").arg(n)); // rolls from the previous count
class RollingLabel final : public QWidget
{
    Q_OBJECT

public:
    explicit RollingLabel(Theme::Tone tone = Theme::secondary, QWidget *parent = nullptr);

    // Rolls to `text` (at once under reduced motion or while not on screen).
    void setText(const QString &text);
    QString text() const { return m_text; }
    void setPixelFont(int pixelSize, QFont::Weight weight = QFont::Normal);
    void setDuration(int ms) { m_animation.setDuration(ms); }
    // +1: always rolls upwards, -1: always downwards, 0 (the default): by how each number changed.
    void setDirection(int direction) { m_direction = direction; }
    bool isRolling() const;
    // The characters moving now, leaving and arriving, upwards (+1), downwards (-1) or either (0);
    // e.g. "3" leaves and "4" arrives upwards when 3 became 4.
    QString leaving(int direction = 0) const;
    QString arriving(int direction = 0) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum class Move { Stays, Leaves, Arrives };
    // A piece of text drawn at a horizontal position, and how it moves while rolling.
    struct Piece
    {
        QString text;
        qreal x = 0;
        Move move = Move::Stays;
        // +1 rolls upwards (the number grew), -1 downwards.
        int direction = 1;
    };
    // A run of digits or of other characters, laid out.
    struct Run
    {
        bool digits = false;
        QString text;
        QList<qreal> xs; // of each digit; of the run's start otherwise
        qreal width = 0;
    };

    QList<Run> layout(const QString &text) const;
    qreal width(const QString &text) const;
    void plan(const QString &from, const QString &to);
    void rest();
    QString moving(Move move, int direction) const;

    Theme::Tone m_tone;
    QString m_text;
    QList<Piece> m_pieces;
    QVariantAnimation m_animation;
    qreal m_progress = 1;
    int m_direction = 0;
    // While rolling, the label keeps room for the text leaving too.
    qreal m_leavingWidth = 0;
};
