#pragma once

#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QWidget>

// Rendered looks, kept under the build folder for review by eye. A screenshot is a review aid,
// not a test: pictures are taken only when the test runs under the ctest label "screenshots".
namespace Screenshots {

inline bool wanted()
{
    return qEnvironmentVariableIsSet("VEMRA_SCREENSHOTS");
}

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
    if (!wanted())
        return {};
    QDir().mkpath(QStringLiteral(VEMRA_SCREENSHOT_DIR));
    widget->ensurePolished();
    if (widget->layout())
        widget->layout()->activate();
    const QString path = QStringLiteral(VEMRA_SCREENSHOT_DIR "/") + name + QStringLiteral(".png");
    widget->grab().save(path);
    return path;
}

} // namespace Screenshots

// The first line of a case that does nothing but take pictures.
#define VEMRA_SCREENSHOTS_ONLY()                                                                                       \
    do {                                                                                                               \
        if (!Screenshots::wanted())                                                                                    \
            QSKIP("pictures are taken under the screenshots label");                                                   \
    } while (false)
