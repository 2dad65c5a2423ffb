#include "Components/Controls/Plate.h"

#include <QPainter>

Plate::Plate(Look look, QWidget *parent)
    : QWidget(parent)
    , m_look(look)
{
}

Plate *Plate::divider(QWidget *parent)
{
    auto *line = new Plate({ Theme::divider, Theme::clear, 0 }, parent);
    line->setFixedHeight(qRound(Theme::lineWidth));
    line->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return line;
}

void Plate::setLook(const Look &look)
{
    if (look == m_look)
        return;
    m_look = look;
    update();
}

void Plate::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Theme::paintPlate(painter, QRectF(rect()), m_look.radius, Theme::color(m_look.fill, palette()),
        Theme::color(m_look.edge, palette()));
}
