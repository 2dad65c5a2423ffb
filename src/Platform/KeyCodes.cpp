#include "Platform/KeyCodes.h"

#include <QGuiApplication>
#include <QHash>

#include <linux/input-event-codes.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <memory>

namespace {

struct Row
{
    qint64 keyCode; // virtual key (ANSI position)
    quint32 evdev; // kernel code of the same position
    int qtKey; // Qt key the position types on a US layout (0: none to look up by)
    int shiftedQtKey; // the same with Shift (0: none)
    const char16_t *text;
};

// Every position a shortcut can sit on. The keypad keys share their Qt keys with the main
// block, so they are reachable only through native codes.
constexpr Row rows[] = {
    { 0, KEY_A, Qt::Key_A, 0, u"a" },
    { 1, KEY_S, Qt::Key_S, 0, u"s" },
    { 2, KEY_D, Qt::Key_D, 0, u"d" },
    { 3, KEY_F, Qt::Key_F, 0, u"f" },
    { 4, KEY_H, Qt::Key_H, 0, u"h" },
    { 5, KEY_G, Qt::Key_G, 0, u"g" },
    { 6, KEY_Z, Qt::Key_Z, 0, u"z" },
    { 7, KEY_X, Qt::Key_X, 0, u"x" },
    { 8, KEY_C, Qt::Key_C, 0, u"c" },
    { 9, KEY_V, Qt::Key_V, 0, u"v" },
    { 10, KEY_102ND, 0, 0, u"" },
    { 11, KEY_B, Qt::Key_B, 0, u"b" },
    { 12, KEY_Q, Qt::Key_Q, 0, u"q" },
    { 13, KEY_W, Qt::Key_W, 0, u"w" },
    { 14, KEY_E, Qt::Key_E, 0, u"e" },
    { 15, KEY_R, Qt::Key_R, 0, u"r" },
    { 16, KEY_Y, Qt::Key_Y, 0, u"y" },
    { 17, KEY_T, Qt::Key_T, 0, u"t" },
    { 18, KEY_1, Qt::Key_1, Qt::Key_Exclam, u"1" },
    { 19, KEY_2, Qt::Key_2, Qt::Key_At, u"2" },
    { 20, KEY_3, Qt::Key_3, Qt::Key_NumberSign, u"3" },
    { 21, KEY_4, Qt::Key_4, Qt::Key_Dollar, u"4" },
    { 22, KEY_6, Qt::Key_6, Qt::Key_AsciiCircum, u"6" },
    { 23, KEY_5, Qt::Key_5, Qt::Key_Percent, u"5" },
    { 24, KEY_EQUAL, Qt::Key_Equal, Qt::Key_Plus, u"=" },
    { 25, KEY_9, Qt::Key_9, Qt::Key_ParenLeft, u"9" },
    { 26, KEY_7, Qt::Key_7, Qt::Key_Ampersand, u"7" },
    { 27, KEY_MINUS, Qt::Key_Minus, Qt::Key_Underscore, u"-" },
    { 28, KEY_8, Qt::Key_8, Qt::Key_Asterisk, u"8" },
    { 29, KEY_0, Qt::Key_0, Qt::Key_ParenRight, u"0" },
    { 30, KEY_RIGHTBRACE, Qt::Key_BracketRight, Qt::Key_BraceRight, u"]" },
    { 31, KEY_O, Qt::Key_O, 0, u"o" },
    { 32, KEY_U, Qt::Key_U, 0, u"u" },
    { 33, KEY_LEFTBRACE, Qt::Key_BracketLeft, Qt::Key_BraceLeft, u"[" },
    { 34, KEY_I, Qt::Key_I, 0, u"i" },
    { 35, KEY_P, Qt::Key_P, 0, u"p" },
    { 36, KEY_ENTER, Qt::Key_Return, 0, u"" },
    { 37, KEY_L, Qt::Key_L, 0, u"l" },
    { 38, KEY_J, Qt::Key_J, 0, u"j" },
    { 39, KEY_APOSTROPHE, Qt::Key_Apostrophe, Qt::Key_QuoteDbl, u"'" },
    { 40, KEY_K, Qt::Key_K, 0, u"k" },
    { 41, KEY_SEMICOLON, Qt::Key_Semicolon, Qt::Key_Colon, u";" },
    { 42, KEY_BACKSLASH, Qt::Key_Backslash, Qt::Key_Bar, u"\\" },
    { 43, KEY_COMMA, Qt::Key_Comma, Qt::Key_Less, u"," },
    { 44, KEY_SLASH, Qt::Key_Slash, Qt::Key_Question, u"/" },
    { 45, KEY_N, Qt::Key_N, 0, u"n" },
    { 46, KEY_M, Qt::Key_M, 0, u"m" },
    { 47, KEY_DOT, Qt::Key_Period, Qt::Key_Greater, u"." },
    { 48, KEY_TAB, Qt::Key_Tab, Qt::Key_Backtab, u"" },
    { 49, KEY_SPACE, Qt::Key_Space, 0, u" " },
    { 50, KEY_GRAVE, Qt::Key_QuoteLeft, Qt::Key_AsciiTilde, u"`" },
    { 51, KEY_BACKSPACE, Qt::Key_Backspace, 0, u"" },
    { 53, KEY_ESC, Qt::Key_Escape, 0, u"" },
    { 65, KEY_KPDOT, 0, 0, u"." },
    { 67, KEY_KPASTERISK, 0, 0, u"*" },
    { 69, KEY_KPPLUS, 0, 0, u"+" },
    { 75, KEY_KPSLASH, 0, 0, u"/" },
    { 76, KEY_KPENTER, Qt::Key_Enter, 0, u"" },
    { 78, KEY_KPMINUS, 0, 0, u"-" },
    { 81, KEY_KPEQUAL, 0, 0, u"=" },
    { 82, KEY_KP0, 0, 0, u"0" },
    { 83, KEY_KP1, 0, 0, u"1" },
    { 84, KEY_KP2, 0, 0, u"2" },
    { 85, KEY_KP3, 0, 0, u"3" },
    { 86, KEY_KP4, 0, 0, u"4" },
    { 87, KEY_KP5, 0, 0, u"5" },
    { 88, KEY_KP6, 0, 0, u"6" },
    { 89, KEY_KP7, 0, 0, u"7" },
    { 91, KEY_KP8, 0, 0, u"8" },
    { 92, KEY_KP9, 0, 0, u"9" },
    { 96, KEY_F5, Qt::Key_F5, 0, u"" },
    { 97, KEY_F6, Qt::Key_F6, 0, u"" },
    { 98, KEY_F7, Qt::Key_F7, 0, u"" },
    { 99, KEY_F3, Qt::Key_F3, 0, u"" },
    { 100, KEY_F8, Qt::Key_F8, 0, u"" },
    { 101, KEY_F9, Qt::Key_F9, 0, u"" },
    { 103, KEY_F11, Qt::Key_F11, 0, u"" },
    { 105, KEY_F13, Qt::Key_F13, 0, u"" },
    { 106, KEY_F16, Qt::Key_F16, 0, u"" },
    { 107, KEY_F14, Qt::Key_F14, 0, u"" },
    { 109, KEY_F10, Qt::Key_F10, 0, u"" },
    { 111, KEY_F12, Qt::Key_F12, 0, u"" },
    { 113, KEY_F15, Qt::Key_F15, 0, u"" },
    { 114, KEY_INSERT, Qt::Key_Insert, 0, u"" }, // the Help position
    { 115, KEY_HOME, Qt::Key_Home, 0, u"" },
    { 116, KEY_PAGEUP, Qt::Key_PageUp, 0, u"" },
    { 117, KEY_DELETE, Qt::Key_Delete, 0, u"" },
    { 118, KEY_F4, Qt::Key_F4, 0, u"" },
    { 119, KEY_END, Qt::Key_End, 0, u"" },
    { 120, KEY_F2, Qt::Key_F2, 0, u"" },
    { 121, KEY_PAGEDOWN, Qt::Key_PageDown, 0, u"" },
    { 122, KEY_F1, Qt::Key_F1, 0, u"" },
    { 123, KEY_LEFT, Qt::Key_Left, 0, u"" },
    { 124, KEY_RIGHT, Qt::Key_Right, 0, u"" },
    { 125, KEY_DOWN, Qt::Key_Down, 0, u"" },
    { 126, KEY_UP, Qt::Key_Up, 0, u"" },
    { 64, KEY_F17, Qt::Key_F17, 0, u"" },
    { 79, KEY_F18, Qt::Key_F18, 0, u"" },
    { 80, KEY_F19, Qt::Key_F19, 0, u"" },
};

constexpr quint32 x11Offset = 8;

// The keypad's digits and operators.
bool isKeypad(qint64 keyCode)
{
    switch (keyCode) {
    case 65:
    case 67:
    case 69:
    case 75:
    case 78:
    case 81:
    case 82:
    case 83:
    case 84:
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:
    case 91:
    case 92:
        return true;
    default:
        return false;
    }
}

const Row *rowForKeyCode(qint64 keyCode)
{
    static const QHash<qint64, const Row *> index = [] {
        QHash<qint64, const Row *> built;
        for (const Row &row : rows)
            built.insert(row.keyCode, &row);
        return built;
    }();
    return index.value(keyCode, nullptr);
}

} // namespace

namespace KeyCodes {

std::optional<quint32> x11KeyCode(qint64 keyCode)
{
    if (const Row *row = rowForKeyCode(keyCode))
        return row->evdev + x11Offset;
    return std::nullopt;
}

std::optional<qint64> fromX11KeyCode(quint32 x11KeyCode)
{
    static const QHash<quint32, qint64> index = [] {
        QHash<quint32, qint64> built;
        for (const Row &row : rows)
            built.insert(row.evdev + x11Offset, row.keyCode);
        return built;
    }();
    const auto found = index.constFind(x11KeyCode);
    if (found == index.constEnd())
        return std::nullopt;
    return *found;
}

std::optional<qint64> fromQtKey(int qtKey)
{
    static const QHash<int, qint64> index = [] {
        QHash<int, qint64> built;
        for (const Row &row : rows) {
            if (row.qtKey)
                built.insert(row.qtKey, row.keyCode);
            if (row.shiftedQtKey)
                built.insert(row.shiftedQtKey, row.keyCode);
        }
        return built;
    }();
    const auto found = index.constFind(qtKey);
    if (found == index.constEnd())
        return std::nullopt;
    return *found;
}

QString usText(qint64 keyCode)
{
    if (const Row *row = rowForKeyCode(keyCode))
        return QString::fromUtf16(row->text);
    return {};
}

QString keysymText(quint32 keysym)
{
    // Latin-1 keysyms are their own code points; Unicode keysyms carry the code point
    // above 0x01000000.
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff))
        return QString(QChar(char16_t(keysym)));
    if (keysym >= 0x01000100 && keysym <= 0x0110ffff) {
        const char32_t codePoint = keysym - 0x01000000;
        return QString::fromUcs4(&codePoint, 1);
    }
    // The keypad's digits and operators.
    if (keysym >= 0xffb0 && keysym <= 0xffb9)
        return QString(QChar(char16_t(u'0' + (keysym - 0xffb0))));
    switch (keysym) {
    case 0xff80:
        return QStringLiteral(" ");
    case 0xffaa:
        return QStringLiteral("*");
    case 0xffab:
        return QStringLiteral("+");
    case 0xffac:
        return QStringLiteral(",");
    case 0xffad:
        return QStringLiteral("-");
    case 0xffae:
        return QStringLiteral(".");
    case 0xffaf:
        return QStringLiteral("/");
    case 0xffbd:
        return QStringLiteral("=");
    default:
        return {};
    }
}

QString unmodifiedText(qint64 keyCode)
{
    // A console application (some tests) has no display to ask.
    auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    auto *x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    const auto code = x11KeyCode(keyCode);
    if (!x11 || !x11->connection() || !code)
        return usText(keyCode);
    // Allocated per call so that a layout switched since the last press is honoured.
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(x11->connection()), &xcb_key_symbols_free);
    if (!symbols)
        return usText(keyCode);
    const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols.get(), xcb_keycode_t(*code), 0);
    QString text = keysym == XCB_NO_SYMBOL ? QString() : keysymText(keysym);
    // Without Num Lock the keypad's first level is navigation (KP_End, …), which types
    // nothing; its keys are still named by their digits and operators.
    if (text.isEmpty() && isKeypad(keyCode))
        return usText(keyCode);
    return text;
}

} // namespace KeyCodes
