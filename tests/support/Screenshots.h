#pragma once

#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

// Rendered looks of the components, kept under the build folder for review by eye.
namespace Screenshots {

inline QPalette lightPalette()
{
    QPalette p = QStyleFactory::create(QStringLiteral("Fusion"))->standardPalette();
    p.setColor(QPalette::Window, QColor(246, 246, 246));
    p.setColor(QPalette::WindowText, QColor(0, 0, 0, 217));
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0, 122, 255));
    return p;
}

inline QPalette darkPalette()
{
    QPalette p = lightPalette();
    p.setColor(QPalette::Window, QColor(40, 40, 40));
    p.setColor(QPalette::WindowText, QColor(255, 255, 255, 217));
    p.setColor(QPalette::Base, QColor(30, 30, 30));
    p.setColor(QPalette::Text, QColor(255, 255, 255, 217));
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    return p;
}

// Grabs the widget (laid out, not shown) and saves it as <name>.png; returns the file path.
inline QString save(QWidget *widget, const QString &name)
{
    QDir().mkpath(QStringLiteral(VEMRA_SCREENSHOT_DIR));
    widget->ensurePolished();
    if (widget->layout())
        widget->layout()->activate();
    const QString path = QStringLiteral(VEMRA_SCREENSHOT_DIR "/") + name + QStringLiteral(".png");
    widget->grab().save(path);
    return path;
}

} // namespace Screenshots
