#include "Platform/x11/X11HotKeyBackend.h"

#include "Platform/KeyCodes.h"
#include "Platform/x11/Xcb.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr quint32 commandBit = 0x100;
constexpr quint32 shiftBit = 0x200;
constexpr quint32 optionBit = 0x800;
constexpr quint32 controlBit = 0x1000;
constexpr quint32 knownBits = commandBit | shiftBit | optionBit | controlBit;

constexpr xcb_keysym_t numLockSym = 0xff7f;
constexpr xcb_keysym_t altLeftSym = 0xffe9;
constexpr xcb_keysym_t altRightSym = 0xffea;
constexpr xcb_keysym_t superLeftSym = 0xffeb;
constexpr xcb_keysym_t superRightSym = 0xffec;

// The modifier bits of a key state that can take part in a shortcut (buttons and the
// keyboard group dropped).
constexpr quint16 keyModifierMask = 0xff;

// Longer than any usual delay before a held key starts repeating, and than its interval.
constexpr quint32 repeatWindowMs = 1000;

} // namespace

X11HotKeyBackend::X11HotKeyBackend(QObject *parent)
    : HotKeyBackend(parent)
{
    m_connection = qtConnection();
    if (!m_connection)
        return;
    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); screens.rem; xcb_screen_next(&screens))
        m_roots << screens.data->root;
    readModifierMapping();
    qGuiApp->installNativeEventFilter(this);
}

X11HotKeyBackend::~X11HotKeyBackend()
{
    if (!m_connection)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const Grab &held : std::as_const(m_grabs))
        ungrab(held);
    xcb_flush(m_connection);
}

HotKeyBackend::Registration X11HotKeyBackend::registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers)
{
    unregisterHotKey(id);
    if (!m_connection)
        return { Outcome::Unavailable, 0 };
    readModifierMapping();
    const auto wanted = grabFor(keyCode, modifiers);
    if (!wanted)
        return { Outcome::Failed, XCB_VALUE };
    // A second grab of the same keys by this client would silently succeed, and releasing
    // either one would release both.
    for (const Grab &held : std::as_const(m_grabs)) {
        if (held == *wanted)
            return { Outcome::Taken, XCB_ACCESS };
    }
    const int error = grab(*wanted);
    if (error == XCB_ACCESS)
        return { Outcome::Taken, error };
    if (error != 0)
        return { Outcome::Failed, error };
    m_grabs.insert(id, *wanted);
    return { Outcome::Registered, 0 };
}

void X11HotKeyBackend::unregisterHotKey(quint32 id)
{
    const auto found = m_grabs.constFind(id);
    if (found == m_grabs.constEnd())
        return;
    const Grab held = *found;
    m_grabs.erase(found);
    ungrab(held);
    xcb_flush(m_connection);
}

void X11HotKeyBackend::readModifierMapping()
{
    const XcbReply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(m_connection), &xcb_key_symbols_free);
    if (!reply || !symbols)
        return;
    ModifierBits found { 0, 0, 0 };
    const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    // Mod1 … Mod5 (indices 3 to 7); Shift, Lock and Control are fixed.
    for (int modifier = 3; modifier < 8; ++modifier) {
        const auto bit = quint16(1u << modifier);
        for (int k = 0; k < perModifier; ++k) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + k];
            if (keycode == 0)
                continue;
            for (int column = 0; column < 4; ++column) {
                const xcb_keysym_t sym = xcb_key_symbols_get_keysym(symbols.get(), keycode, column);
                if (sym == numLockSym && !found.numLock)
                    found.numLock = bit;
                else if ((sym == altLeftSym || sym == altRightSym) && !found.alt)
                    found.alt = bit;
                else if ((sym == superLeftSym || sym == superRightSym) && !found.super)
                    found.super = bit;
            }
        }
    }
    const ModifierBits usual;
    m_bits.alt = found.alt ? found.alt : usual.alt;
    m_bits.super = found.super ? found.super : usual.super;
    m_bits.numLock = found.numLock; // a keyboard without Num Lock needs no variant for it
}

std::optional<X11HotKeyBackend::Grab> X11HotKeyBackend::grabFor(quint32 keyCode, quint32 modifiers) const
{
    if (modifiers & ~knownBits)
        return std::nullopt;
    const auto keycode = KeyCodes::x11KeyCode(keyCode);
    if (!keycode || *keycode > 255)
        return std::nullopt;
    quint16 mask = 0;
    if (modifiers & shiftBit)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & controlBit)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & optionBit)
        mask |= m_bits.alt;
    if (modifiers & commandBit)
        mask |= m_bits.super;
    return Grab { quint8(*keycode), mask };
}

QList<quint16> X11HotKeyBackend::lockVariants() const
{
    QList<quint16> variants { 0, XCB_MOD_MASK_LOCK };
    if (m_bits.numLock)
        variants << m_bits.numLock << quint16(m_bits.numLock | XCB_MOD_MASK_LOCK);
    return variants;
}

int X11HotKeyBackend::grab(const Grab &wanted)
{
    QList<xcb_void_cookie_t> cookies;
    for (const quint32 root : std::as_const(m_roots)) {
        for (const quint16 variant : lockVariants()) {
            cookies << xcb_grab_key_checked(m_connection, 0, root, quint16(wanted.modifiers | variant), wanted.keycode,
                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        }
    }
    int firstError = 0;
    for (const xcb_void_cookie_t cookie : std::as_const(cookies)) {
        const XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
        if (error && firstError == 0)
            firstError = error->error_code;
    }
    // Releasing what another client holds does nothing, so ungrabbing every variant leaves
    // exactly the others' grabs in place.
    if (firstError != 0) {
        ungrab(wanted);
        xcb_flush(m_connection);
    }
    return firstError;
}

void X11HotKeyBackend::ungrab(const Grab &held)
{
    for (const quint32 root : std::as_const(m_roots)) {
        for (const quint16 variant : lockVariants())
            xcb_ungrab_key(m_connection, held.keycode, root, quint16(held.modifiers | variant));
    }
}

std::optional<quint32> X11HotKeyBackend::idFor(quint8 keycode, quint16 state) const
{
    const quint16 clean = state & keyModifierMask & ~quint16(XCB_MOD_MASK_LOCK | m_bits.numLock);
    for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it) {
        if (it->keycode == keycode && it->modifiers == clean)
            return it.key();
    }
    return std::nullopt;
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || m_grabs.isEmpty())
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & 0x7f;
    if (type == XCB_KEY_RELEASE) {
        const auto *release = reinterpret_cast<const xcb_key_release_event_t *>(event);
        if (release->detail == m_heldKeycode) {
            m_heldKeycode = 0;
            m_releasedKeycode = release->detail;
            m_releaseTime = release->time;
        }
        return false;
    }
    if (type != XCB_KEY_PRESS || isPaused())
        return false;
    const auto *press = reinterpret_cast<const xcb_key_press_event_t *>(event);
    const auto id = idFor(press->detail, press->state);
    if (!id)
        return false;
    const bool repeated = (press->detail == m_heldKeycode && press->time - m_pressTime < repeatWindowMs)
        || (press->detail == m_releasedKeycode && press->time == m_releaseTime);
    m_heldKeycode = press->detail;
    m_pressTime = press->time;
    if (!repeated) {
        // Emitted from the event loop rather than inside X event dispatch, since the action
        // may show windows and grab the keyboard.
        QMetaObject::invokeMethod(
            this, [this, id = *id] { Q_EMIT pressed(id); }, Qt::QueuedConnection);
    }
    return true;
}
