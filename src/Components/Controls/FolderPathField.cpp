#include "Components/Controls/FolderPathField.h"

#include "Components/Controls/PaletteTone.h"

#include <QDir>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

constexpr int pathPixelSize = 11;
// What QLineEdit keeps clear on either side of its text inside the contents rectangle.
constexpr int lineEditMargin = 2;

} // namespace

FolderPathField::FolderPathField(const QString &path, const QString &accessibleName, QWidget *parent)
    : QLineEdit(QDir::toNativeSeparators(path), parent)
{
    setReadOnly(true);
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus);
    QFont pathFont = font();
    pathFont.setPixelSize(pathPixelSize);
    setFont(pathFont);
    PaletteTone::apply(this, QPalette::Text, Theme::secondary);
    setCursorPosition(0);
    setToolTip(text());
    connect(this, &QLineEdit::textChanged, this, &QWidget::setToolTip);
    setAccessibleName(accessibleName);
    connect(this, &QLineEdit::selectionChanged, this, [this] {
        if (!m_handedOver || hasSelectedText())
            return;
        m_handedOver = false;
        Q_EMIT handOverEnded();
    });
}

void FolderPathField::handOver()
{
    setFocus(Qt::OtherFocusReason);
    selectAll();
    m_handedOver = hasSelectedText();
}

QString FolderPathField::shownText() const
{
    if (hasFocus())
        return text();
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, textArea().width());
}

QRect FolderPathField::textArea() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const QMargins margins = textMargins();
    return contents.adjusted(
        margins.left() + lineEditMargin, margins.top(), -margins.right() - lineEditMargin, -margins.bottom());
}

void FolderPathField::paintEvent(QPaintEvent *event)
{
    const QString shown = shownText();
    if (shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textArea(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}
