#include "Views/Focus/LinkButton.h"

#include "Components/Controls/PointingHandCursor.h"
#include "Components/Theme/Theme.h"

#include <QPainter>

LinkButton::LinkButton(const QString &text, int pixelSize, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(text);
    QFont f = font();
    f.setPixelSize(pixelSize);
    setFont(f);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    PointingHandCursor::apply(this);
}

QSize LinkButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return { metrics.horizontalAdvance(text()) + 2, metrics.height() };
}

void LinkButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Theme::color(isDown() ? Theme::accent.times(Theme::pressedOpacity) : Theme::accent, palette()));
    painter.drawText(rect(), Qt::AlignCenter, text());
}
