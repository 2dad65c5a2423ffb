#include "Components/Controls/RollingLabel.h"

#include "Services/Shell/MotionPreference.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

namespace {

// +1 when the number `to` is larger than `from`, else -1 (both plain runs of digits).
int direction(const QString &from, const QString &to)
{
    if (from.size() != to.size())
        return to.size() > from.size() ? 1 : -1;
    return to > from ? 1 : -1;
}

} // namespace

RollingLabel::RollingLabel(Theme::Tone tone, QWidget *parent)
    : QWidget(parent)
    , m_tone(tone)
{
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    m_animation.setDuration(250);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_progress = value.toReal();
        update();
    });
    connect(&m_animation, &QVariantAnimation::finished, this, &RollingLabel::rest);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void RollingLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    const QString previous = m_text;
    m_text = text;
    updateGeometry();
    const QWidget *w = window();
    if (previous.isEmpty() || MotionPreference::reducesMotion() || w == nullptr || !w->isVisible()) {
        rest();
        return;
    }
    m_animation.stop();
    m_leavingWidth = width(previous);
    plan(previous, text);
    m_progress = 0;
    m_animation.start();
    updateGeometry();
    update();
}

void RollingLabel::setPixelFont(int pixelSize, QFont::Weight weight)
{
    QFont f = font();
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    setFont(f);
}

bool RollingLabel::isRolling() const
{
    return m_animation.state() == QAbstractAnimation::Running;
}

QString RollingLabel::leaving(int direction) const
{
    return moving(Move::Leaves, direction);
}

QString RollingLabel::arriving(int direction) const
{
    return moving(Move::Arrives, direction);
}

QString RollingLabel::moving(Move move, int direction) const
{
    QString text;
    for (const Piece &piece : m_pieces)
        if (piece.move == move && (direction == 0 || piece.direction == direction))
            text += piece.text;
    return text;
}

QSize RollingLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return QSize(qCeil(qMax(width(m_text), isRolling() ? m_leavingWidth : 0)), qCeil(metrics.height()));
}

QList<RollingLabel::Run> RollingLabel::layout(const QString &text) const
{
    const QFontMetricsF metrics(font());
    qreal cell = 0;
    for (char d = '0'; d <= '9'; ++d)
        cell = qMax(cell, metrics.horizontalAdvance(QLatin1Char(d)));
    QList<Run> runs;
    qreal x = 0;
    for (qsizetype i = 0; i < text.size();) {
        Run run;
        run.digits = text.at(i).isDigit();
        qsizetype end = i;
        while (end < text.size() && text.at(end).isDigit() == run.digits)
            ++end;
        run.text = text.mid(i, end - i);
        if (run.digits) {
            for (qsizetype k = 0; k < run.text.size(); ++k)
                run.xs.append(x + k * cell);
            run.width = cell * qreal(run.text.size());
        } else {
            run.xs.append(x);
            run.width = metrics.horizontalAdvance(run.text);
        }
        x += run.width;
        runs.append(run);
        i = end;
    }
    return runs;
}

qreal RollingLabel::width(const QString &text) const
{
    qreal total = 0;
    for (const Run &run : layout(text))
        total += run.width;
    return total;
}

void RollingLabel::plan(const QString &from, const QString &to)
{
    const QList<Run> before = layout(from);
    const QList<Run> after = layout(to);
    m_pieces.clear();
    const auto add = [this](const Run &run, Move move, int dir) {
        if (run.digits) {
            for (qsizetype k = 0; k < run.text.size(); ++k)
                m_pieces.append({ run.text.mid(k, 1), run.xs.at(k), move, dir });
        } else {
            m_pieces.append({ run.text, run.xs.first(), move, dir });
        }
    };
    bool alike = before.size() == after.size();
    for (qsizetype i = 0; alike && i < before.size(); ++i)
        alike = before.at(i).digits == after.at(i).digits
            && (before.at(i).digits || before.at(i).text == after.at(i).text);
    if (!alike) {
        // Different wording: the whole text rolls.
        for (const Run &run : before)
            add(run, Move::Leaves, m_direction < 0 ? -1 : 1);
        for (const Run &run : after)
            add(run, Move::Arrives, m_direction < 0 ? -1 : 1);
        return;
    }
    for (qsizetype i = 0; i < after.size(); ++i) {
        const Run &old = before.at(i);
        const Run &now = after.at(i);
        if (!now.digits || old.text == now.text) {
            add(now, Move::Stays, 1);
            continue;
        }
        const int dir = m_direction != 0 ? m_direction : direction(old.text, now.text);
        if (old.text.size() != now.text.size()) {
            add(old, Move::Leaves, dir);
            add(now, Move::Arrives, dir);
            continue;
        }
        // Same number of digits: only the digits that differ roll, like an odometer.
        for (qsizetype k = 0; k < now.text.size(); ++k) {
            if (old.text.at(k) == now.text.at(k)) {
                m_pieces.append({ now.text.mid(k, 1), now.xs.at(k), Move::Stays, dir });
            } else {
                m_pieces.append({ old.text.mid(k, 1), old.xs.at(k), Move::Leaves, dir });
                m_pieces.append({ now.text.mid(k, 1), now.xs.at(k), Move::Arrives, dir });
            }
        }
    }
}

void RollingLabel::rest()
{
    m_animation.stop();
    m_progress = 1;
    if (m_leavingWidth > 0) {
        m_leavingWidth = 0;
        updateGeometry();
    }
    m_pieces.clear();
    for (const Run &run : layout(m_text)) {
        if (run.digits) {
            for (qsizetype k = 0; k < run.text.size(); ++k)
                m_pieces.append({ run.text.mid(k, 1), run.xs.at(k), Move::Stays, 1 });
        } else {
            m_pieces.append({ run.text, run.xs.first(), Move::Stays, 1 });
        }
    }
    update();
}

void RollingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(Theme::color(m_tone, palette()));
    painter.setClipRect(rect());
    const QFontMetricsF metrics(font());
    const qreal baseline = (height() - metrics.height()) / 2 + metrics.ascent();
    const qreal travel = metrics.height();
    qreal cell = 0;
    for (char d = '0'; d <= '9'; ++d)
        cell = qMax(cell, metrics.horizontalAdvance(QLatin1Char(d)));
    for (const Piece &piece : m_pieces) {
        qreal y = baseline;
        qreal opacity = 1;
        if (piece.move == Move::Leaves) {
            y -= piece.direction * travel * m_progress;
            opacity = 1 - m_progress;
        } else if (piece.move == Move::Arrives) {
            y += piece.direction * travel * (1 - m_progress);
            opacity = m_progress;
        }
        // A digit sits centred in its cell.
        qreal x = piece.x;
        if (piece.text.size() == 1 && piece.text.at(0).isDigit())
            x += (cell - metrics.horizontalAdvance(piece.text)) / 2;
        painter.setOpacity(opacity);
        painter.drawText(QPointF(x, y), piece.text);
    }
}

void RollingLabel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        rest();
    }
}
