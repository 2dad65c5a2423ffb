#include "Views/Settings/SettingsSection.h"

#include "Components/Theme/SystemColors.h"

#include <QPainter>
#include <QPainterPath>
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
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &colors = palette();
    const QColor primary = SystemColors::primary(colors);
    const bool dark = SystemColors::isDark(colors);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    painter.fillPath(
        plate, dark ? SystemColors::withOpacity(primary, 0.05) : SystemColors::withOpacity(Qt::white, 0.7));
    painter.setPen(QPen(SystemColors::withOpacity(primary, 0.08), 1));
    painter.drawPath(plate);

    painter.setRenderHint(QPainter::Antialiasing, false);
    bool first = true;
    for (int i = 0; i < m_rows->count(); ++i) {
        const QWidget *row = m_rows->itemAt(i)->widget();
        if (!row || row->isHidden())
            continue;
        if (!first) {
            painter.fillRect(
                QRect(rowPadding, row->y(), width() - 2 * rowPadding, 1), SystemColors::withOpacity(primary, 0.08));
        }
        first = false;
    }
}
