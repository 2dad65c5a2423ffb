#include "Views/Settings/SettingsSection.h"

#include "Components/Theme/Theme.h"

#include <QPainter>
#include <QVBoxLayout>

SettingsSection::SettingsSection(QWidget *parent)
    : QWidget(parent)
    , m_rows(new QVBoxLayout(this))
{
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
}

void SettingsSection::addRow(QWidget *row)
{
    row->setParent(this);
    row->setContentsMargins(rowPadding, rowPadding - 2, rowPadding, rowPadding - 2);
    m_rows->addWidget(row);
}

void SettingsSection::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colors = palette();
    const QColor line = Theme::color(Theme::hairline, colors);
    Theme::paintPlate(painter, QRectF(rect()), cornerRadius, Theme::color(Theme::groupFill(colors), colors), line);

    // A hairline above every visible row but the first.
    bool first = true;
    for (int i = 0; i < m_rows->count(); ++i) {
        const QWidget *row = m_rows->itemAt(i)->widget();
        if (!row || row->isHidden())
            continue;
        if (!first)
            painter.fillRect(QRect(rowPadding, row->y(), width() - 2 * rowPadding, 1), line);
        first = false;
    }
}
