#include "Platform/KeyCodes.h"
#include "Platform/x11/X11HotKeyBackend.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

constexpr quint32 T = 17;
constexpr quint32 F = 3;
constexpr quint32 shiftCommand = 0x300;
constexpr quint32 controlOptionCommand = 0x1900;

// Another X client, holding grabs of its own.
class OtherClient final
{
public:
    OtherClient()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~OtherClient() { xcb_disconnect(m_connection); }
    OtherClient(const OtherClient &) = delete;
    OtherClient &operator=(const OtherClient &) = delete;

    // True when the grab succeeded.
    bool grab(quint8 keycode, quint16 modifiers)
    {
        xcb_generic_error_t *error = xcb_request_check(m_connection,
            xcb_grab_key_checked(
                m_connection, 0, m_root, modifiers, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        const bool ok = error == nullptr;
        std::free(error);
        return ok;
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root;
};

bool onX11()
{
    return QGuiApplication::platformName() == QStringLiteral("xcb");
}

} // namespace

class TestX11HotKeyBackend final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unavailableWithoutX11()
    {
        if (onX11())
            QSKIP("runs on a display without X11");
        X11HotKeyBackend backend;
        QVERIFY(!backend.isAvailable());
        QCOMPARE(backend.registerHotKey(1, T, shiftCommand).outcome, HotKeyBackend::Outcome::Unavailable);
        backend.unregisterHotKey(1);
    }

    void grabsAndConflicts()
    {
        if (!onX11())
            QSKIP("needs an X11 display (run with QT_QPA_PLATFORM=xcb under Xvfb)");
        X11HotKeyBackend backend;
        QVERIFY(backend.isAvailable());
        QVERIFY(backend.registerHotKey(1, T, shiftCommand).ok());
        {
            OtherClient other;
            QVERIFY(!other.grab(28, XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4));
            QVERIFY(other.grab(41, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4));
            const auto taken = backend.registerHotKey(2, F, controlOptionCommand);
            QCOMPARE(taken.outcome, HotKeyBackend::Outcome::Taken);
            QCOMPARE(taken.status, 10);
        }
        // Grabs go with the client that held them.
        QTRY_VERIFY(backend.registerHotKey(2, F, controlOptionCommand).ok());
        // The same keys under another id, and bits no shortcut carries, are refused.
        QCOMPARE(backend.registerHotKey(3, T, shiftCommand).outcome, HotKeyBackend::Outcome::Taken);
        QCOMPARE(backend.registerHotKey(3, T, 0x10000).outcome, HotKeyBackend::Outcome::Failed);
        backend.unregisterHotKey(1);
        backend.unregisterHotKey(2);
        OtherClient after;
        QVERIFY(after.grab(28, XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4));
    }

    void keyTextFromTheServersKeyMap_data()
    {
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<QString>("text");
        QTest::newRow("T") << qint64(17) << QStringLiteral("t");
        QTest::newRow("1 unshifted") << qint64(18) << QStringLiteral("1");
        QTest::newRow("keypad 1 without Num Lock") << qint64(83) << QStringLiteral("1");
        QTest::newRow("escape") << qint64(53) << QString();
        QTest::newRow("unknown key") << qint64(52) << QString();
    }
    void keyTextFromTheServersKeyMap()
    {
        if (!onX11())
            QSKIP("needs an X11 display");
        QFETCH(qint64, keyCode);
        QFETCH(QString, text);
        QCOMPARE(KeyCodes::unmodifiedText(keyCode), text);
    }

    void pressesArriveOnceWithLocksOnOrOff()
    {
        if (!onX11())
            QSKIP("needs an X11 display");
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (xdotool.isEmpty())
            QSKIP("needs xdotool");
        X11HotKeyBackend backend;
        QVERIFY(backend.registerHotKey(1, T, shiftCommand).ok());
        QVERIFY(backend.registerHotKey(2, F, controlOptionCommand).ok());
        QSignalSpy pressed(&backend, &HotKeyBackend::pressed);
        const auto send = [&](const QStringList &keys) {
            QCOMPARE(QProcess::execute(xdotool, QStringList { QStringLiteral("key") } + keys), 0);
        };
        send({ QStringLiteral("shift+super+t") });
        QTRY_COMPARE(pressed.count(), 1);
        QCOMPARE(pressed.at(0).at(0).toUInt(), 1u);
        send({ QStringLiteral("Num_Lock"), QStringLiteral("ctrl+alt+super+f"), QStringLiteral("Num_Lock") });
        QTRY_COMPARE(pressed.count(), 2);
        QCOMPARE(pressed.at(1).at(0).toUInt(), 2u);
        backend.pause();
        send({ QStringLiteral("shift+super+t") });
        QTest::qWait(100);
        QCOMPARE(pressed.count(), 2);
        backend.resume();
        send({ QStringLiteral("shift+super+t") });
        QTRY_COMPARE(pressed.count(), 3);
    }
};

QTEST_MAIN(TestX11HotKeyBackend)
#include "tst_X11HotKeyBackend.moc"
