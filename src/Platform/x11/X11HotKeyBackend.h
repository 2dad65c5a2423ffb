#pragma once

#include "Platform/HotKeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QList>

#include <optional>

struct xcb_connection_t;

// Global hot keys as passive key grabs on the root windows, made on Qt's own X connection so
// that the keyboard grab a press activates belongs to this application (its popup panel can
// then take the keyboard). Each combination is grabbed with and without Caps Lock and Num
// Lock. Presses reach this object through Qt's native event filter, on the root window or,
// while one of the application's windows holds the keyboard, on that window.
// Without an X11 display (offscreen, Wayland) it is unavailable and registers nothing.
class X11HotKeyBackend final : public HotKeyBackend, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit X11HotKeyBackend(QObject *parent = nullptr);
    ~X11HotKeyBackend() override;

    bool isAvailable() const override { return m_connection != nullptr; }
    Registration registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) override;
    void unregisterHotKey(quint32 id) override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Grab
    {
        quint8 keycode = 0;
        quint16 modifiers = 0;
        bool operator==(const Grab &) const = default;
    };
    struct ModifierBits
    {
        quint16 alt = 0x08; // Mod1 on nearly every server
        quint16 numLock = 0x10; // Mod2
        quint16 super = 0x40; // Mod4
    };

    void readModifierMapping();
    std::optional<Grab> grabFor(quint32 keyCode, quint32 modifiers) const;
    QList<quint16> lockVariants() const;
    // 0 when every variant on every root was grabbed; else the first X error code, with
    // nothing left grabbed.
    int grab(const Grab &grab);
    void ungrab(const Grab &grab);
    std::optional<quint32> idFor(quint8 keycode, quint16 state) const;

    xcb_connection_t *m_connection = nullptr;
    QList<quint32> m_roots;
    ModifierBits m_bits;
    QHash<quint32, Grab> m_grabs;
    // Auto-repeat arrives as further presses (detectable repeat) or as release/press pairs
    // with one timestamp; either way a held key fires once. A press counts as a repeat only
    // soon after the previous one: when the action closes a window holding the keyboard, the
    // release goes to another client and would otherwise leave the key "held" for good.
    quint8 m_heldKeycode = 0;
    quint32 m_pressTime = 0;
    quint8 m_releasedKeycode = 0;
    quint32 m_releaseTime = 0;
};
