#include "App/AppearancePalettes.h"

namespace AppearancePalettes {

namespace {

struct Colours
{
    QColor window, windowText, base, alternateBase, text, button, buttonText, highlight, highlightedText, link,
        placeholder, toolTipBase, toolTipText, light, midlight, mid, dark, shadow, disabledText;
};

QPalette make(const Colours &c)
{
    QPalette palette;
    palette.setColor(QPalette::Window, c.window);
    palette.setColor(QPalette::WindowText, c.windowText);
    palette.setColor(QPalette::Base, c.base);
    palette.setColor(QPalette::AlternateBase, c.alternateBase);
    palette.setColor(QPalette::Text, c.text);
    palette.setColor(QPalette::Button, c.button);
    palette.setColor(QPalette::ButtonText, c.buttonText);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, c.highlight);
    palette.setColor(QPalette::HighlightedText, c.highlightedText);
    palette.setColor(QPalette::Link, c.link);
    palette.setColor(QPalette::LinkVisited, c.link);
    palette.setColor(QPalette::PlaceholderText, c.placeholder);
    palette.setColor(QPalette::ToolTipBase, c.toolTipBase);
    palette.setColor(QPalette::ToolTipText, c.toolTipText);
    palette.setColor(QPalette::Light, c.light);
    palette.setColor(QPalette::Midlight, c.midlight);
    palette.setColor(QPalette::Mid, c.mid);
    palette.setColor(QPalette::Dark, c.dark);
    palette.setColor(QPalette::Shadow, c.shadow);
    for (QPalette::ColorRole role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        palette.setColor(QPalette::Disabled, role, c.disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, c.mid);
    return palette;
}

} // namespace

QPalette light()
{
    return make({
        .window = QColor(0xEC, 0xEC, 0xEC),
        .windowText = QColor(0x1D, 0x1D, 0x1F),
        .base = QColor(0xFF, 0xFF, 0xFF),
        .alternateBase = QColor(0xF4, 0xF5, 0xF5),
        .text = QColor(0x1D, 0x1D, 0x1F),
        .button = QColor(0xF6, 0xF6, 0xF6),
        .buttonText = QColor(0x1D, 0x1D, 0x1F),
        .highlight = QColor(0x00, 0x7A, 0xFF),
        .highlightedText = QColor(0xFF, 0xFF, 0xFF),
        .link = QColor(0x00, 0x68, 0xDA),
        .placeholder = QColor(0x00, 0x00, 0x00, 0x3F),
        .toolTipBase = QColor(0xFF, 0xFF, 0xFF),
        .toolTipText = QColor(0x1D, 0x1D, 0x1F),
        .light = QColor(0xFF, 0xFF, 0xFF),
        .midlight = QColor(0xE3, 0xE3, 0xE3),
        .mid = QColor(0xB8, 0xB8, 0xB8),
        .dark = QColor(0x9F, 0x9F, 0x9F),
        .shadow = QColor(0x00, 0x00, 0x00, 0x4D),
        .disabledText = QColor(0x00, 0x00, 0x00, 0x3F),
    });
}

QPalette dark()
{
    return make({
        .window = QColor(0x32, 0x32, 0x32),
        .windowText = QColor(0xF5, 0xF5, 0xF7),
        .base = QColor(0x1E, 0x1E, 0x1E),
        .alternateBase = QColor(0x2A, 0x2A, 0x2A),
        .text = QColor(0xF5, 0xF5, 0xF7),
        .button = QColor(0x48, 0x48, 0x48),
        .buttonText = QColor(0xF5, 0xF5, 0xF7),
        .highlight = QColor(0x0A, 0x84, 0xFF),
        .highlightedText = QColor(0xFF, 0xFF, 0xFF),
        .link = QColor(0x41, 0x9C, 0xFF),
        .placeholder = QColor(0xFF, 0xFF, 0xFF, 0x3F),
        .toolTipBase = QColor(0x3A, 0x3A, 0x3A),
        .toolTipText = QColor(0xF5, 0xF5, 0xF7),
        .light = QColor(0x5A, 0x5A, 0x5A),
        .midlight = QColor(0x46, 0x46, 0x46),
        .mid = QColor(0x2C, 0x2C, 0x2C),
        .dark = QColor(0x18, 0x18, 0x18),
        .shadow = QColor(0x00, 0x00, 0x00, 0x80),
        .disabledText = QColor(0xFF, 0xFF, 0xFF, 0x3F),
    });
}

} // namespace AppearancePalettes
