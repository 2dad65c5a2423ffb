#include "Platform/ClipboardTypes.h"
#include "Platform/TypeIdentifiers.h"
#include "Platform/linux/QtSystemClipboard.h"
#include "Platform/x11/X11SelectionReader.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <atomic>
#include <cstring>
#include <memory>

namespace {

bool onX11()
{
    return QGuiApplication::platformName() == QStringLiteral("xcb");
}

// The types the monitor asks for, at most.
QStringList everyType()
{
    return { ClipboardTypes::plainText(), ClipboardTypes::uriList(), ClipboardTypes::gnomeCopiedFiles(),
        QStringLiteral("image/png") };
}

// Asks for a read of the current change and waits for its answer, which never comes from
// within read() itself.
std::optional<ClipboardSnapshot> readNow(SystemClipboard &clipboard, const QStringList &types = everyType())
{
    QSignalSpy reads(&clipboard, &SystemClipboard::contentsRead);
    const quint64 id = clipboard.read(clipboard.changeCount(), types);
    if (!reads.isEmpty())
        return std::nullopt;
    const QDeadlineTimer deadline(10000);
    for (qsizetype seen = 0; !deadline.hasExpired(); reads.wait(100)) {
        for (; seen < reads.size(); ++seen) {
            const auto snapshot = reads.at(seen).first().value<ClipboardSnapshot>();
            if (snapshot.id == id)
                return snapshot;
        }
    }
    return std::nullopt;
}

// Another X client that takes the clipboard and then never answers: it reads none of its events.
class SilentOwner final
{
public:
    SilentOwner()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_intern_atom_reply_t *clipboard
            = xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, 9, "CLIPBOARD"), nullptr);
        xcb_set_selection_owner(m_connection, m_window, clipboard->atom, XCB_CURRENT_TIME);
        std::free(clipboard);
        xcb_flush(m_connection);
    }
    ~SilentOwner() { xcb_disconnect(m_connection); }
    SilentOwner(const SilentOwner &) = delete;
    SilentOwner &operator=(const SilentOwner &) = delete;

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_window = 0;
};

// Another X client whose copy offers an image and a short text. A huge image is announced as a
// gigabyte to come in INCR pieces, which it never sends; another is given whole.
class HugeImageOwner final
{
public:
    explicit HugeImageOwner(bool huge = true)
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_huge(huge)
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(m_connection, m_window, atom("CLIPBOARD"), XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] { serve(); });
        m_poll.start(5);
    }
    ~HugeImageOwner() { xcb_disconnect(m_connection); }
    HugeImageOwner(const HugeImageOwner &) = delete;
    HugeImageOwner &operator=(const HugeImageOwner &) = delete;

    // How many times its targets were asked for.
    int targetsAsked() const { return m_targetsAsked; }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, quint16(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    void serve()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
                const auto *request = reinterpret_cast<const xcb_selection_request_event_t *>(event);
                xcb_atom_t property = request->property;
                if (request->target == atom("TARGETS")) {
                    ++m_targetsAsked;
                    const xcb_atom_t targets[] = { atom("TARGETS"), atom("image/png"), atom("UTF8_STRING") };
                    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property,
                        XCB_ATOM_ATOM, 32, 3, targets);
                } else if (request->target == atom("image/png") && !m_huge) {
                    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property,
                        atom("image/png"), 8, 9, "png bytes");
                } else if (request->target == atom("image/png")) {
                    const quint32 least = 1U << 30;
                    xcb_change_property(
                        m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property, atom("INCR"), 32, 1, &least);
                } else if (request->target == atom("UTF8_STRING")) {
                    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property,
                        atom("UTF8_STRING"), 8, 9, "beside it");
                } else {
                    property = XCB_ATOM_NONE;
                }
                xcb_selection_notify_event_t notify {};
                notify.response_type = XCB_SELECTION_NOTIFY;
                notify.time = request->time;
                notify.requestor = request->requestor;
                notify.selection = request->selection;
                notify.target = request->target;
                notify.property = property;
                xcb_send_event(m_connection, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                    reinterpret_cast<const char *>(&notify));
                xcb_flush(m_connection);
            }
            std::free(event);
        }
    }

    xcb_connection_t *m_connection;
    bool m_huge = true;
    int m_targetsAsked = 0;
    xcb_window_t m_window = 0;
    QTimer m_poll;
};

} // namespace

class TestSystemClipboard final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typeIdentifiers()
    {
        QCOMPARE(TypeIdentifiers::mimeType(QStringLiteral("com.compuserve.gif")), QStringLiteral("image/gif"));
        QCOMPARE(TypeIdentifiers::identifier(QStringLiteral("image/JPEG; q=1")), QStringLiteral("public.jpeg"));
        // Stored names keep the long extension; an unknown type is stored as PNG.
        QCOMPARE(TypeIdentifiers::preferredExtension(QStringLiteral("public.jpeg")), QStringLiteral("jpeg"));
        QCOMPARE(TypeIdentifiers::preferredExtension(QStringLiteral("com.example.thing")), QStringLiteral("png"));
        // A MIME type passes through; anything else unknown has none.
        QCOMPARE(TypeIdentifiers::mimeType(QStringLiteral("image/webp")), QStringLiteral("image/webp"));
        QVERIFY(TypeIdentifiers::mimeType(QStringLiteral("com.example.thing")).isEmpty());
    }

    void countsEveryChangeAndOwnWritesOnce()
    {
        QtSystemClipboard systemClipboard;
        QSignalSpy changes(&systemClipboard, &SystemClipboard::changed);
        const qint64 start = systemClipboard.changeCount();
        QGuiApplication::clipboard()->setText(QStringLiteral("from elsewhere"));
        QTRY_COMPARE(systemClipboard.changeCount(), start + 1);
        QCOMPARE(changes.count(), 1);
        std::optional<ClipboardSnapshot> read = readNow(systemClipboard);
        QVERIFY(read);
        QCOMPARE(read->text(), QStringLiteral("from elsewhere"));
        QVERIFY(read->types.contains(QStringLiteral("text/plain")));

        QGuiApplication::clipboard()->setText(QStringLiteral("selection only"), QClipboard::Selection);
        QCOMPARE(systemClipboard.changeCount(), start + 1);

        ClipboardWrite write;
        write.text = QStringLiteral("https://example.com/a");
        write.urls = { QUrl(QStringLiteral("https://example.com/a")) };
        const std::optional<qint64> count = systemClipboard.write(write);
        QCOMPARE(count, std::optional<qint64>(start + 2));
        QCOMPARE(systemClipboard.changeCount(), start + 2);
        QCOMPARE(changes.count(), 2); // the selection's change is none of ours
        read = readNow(systemClipboard);
        QVERIFY(read);
        QCOMPARE(read->text(), QStringLiteral("https://example.com/a"));
        QVERIFY(read->types.contains(QStringLiteral("text/uri-list")));
        QVERIFY(read->fileUrls().isEmpty()); // a web link is no file

        // What was not asked for is not read, nor anything of a copy that offers a marker; a read
        // for a change that has passed finds nothing.
        read = readNow(systemClipboard, {});
        QVERIFY(read && read->data.isEmpty() && !read->types.isEmpty());
        QSignalSpy marked(&systemClipboard, &SystemClipboard::contentsRead);
        systemClipboard.read(systemClipboard.changeCount(), everyType(), { QStringLiteral("text/uri-list") });
        QTRY_COMPARE(marked.size(), 1);
        read = marked.first().first().value<ClipboardSnapshot>();
        QVERIFY(read->data.isEmpty() && read->types.contains(QStringLiteral("text/uri-list")));
        QSignalSpy reads(&systemClipboard, &SystemClipboard::contentsRead);
        systemClipboard.read(start + 1, everyType());
        QTRY_COMPARE(reads.size(), 1);
        QVERIFY(reads.first().first().value<ClipboardSnapshot>().types.isEmpty());
    }

    void filesAreWrittenForFileManagersWithoutText()
    {
        QtSystemClipboard systemClipboard;
        ClipboardWrite write;
        write.fileUrls
            = { QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/c")) };
        QVERIFY(systemClipboard.write(write));
        std::optional<ClipboardSnapshot> read = readNow(systemClipboard);
        QVERIFY(read);
        QCOMPARE(read->fileUrls(), write.fileUrls);
        // No text of our own (on X, Qt offers the list's addresses as text beside it).
        QVERIFY(!std::unique_ptr<QMimeData>(write.toMimeData())->hasFormat(ClipboardTypes::plainText()));
        QCOMPARE(
            read->bytes(ClipboardTypes::gnomeCopiedFiles()), QByteArray("copy\nfile:///tmp/a%20b.txt\nfile:///tmp/c"));

        // A file manager that offers only its own list is read as well.
        auto *mime = new QMimeData;
        mime->setData(ClipboardTypes::gnomeCopiedFiles(), "cut\nfile:///srv/x.png\nhttps://example.com/\n");
        const qint64 before = systemClipboard.changeCount();
        QGuiApplication::clipboard()->setMimeData(mime);
        QTRY_VERIFY(systemClipboard.changeCount() > before);
        read = readNow(systemClipboard);
        QVERIFY(read);
        QCOMPARE(read->fileUrls(), QList<QUrl> { QUrl::fromLocalFile(QStringLiteral("/srv/x.png")) });
        QVERIFY(ClipboardTypes::offersFiles(read->types));
        QVERIFY(!read->bytes(QStringLiteral("image/png")));
    }

    void fileListsAreReadByTheirRules_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QStringList>("paths");
        const QString uriList = ClipboardTypes::uriList();
        QTest::newRow("a line feed inside a name")
            << uriList << QByteArray("file:///tmp/two%0Alines.txt\r\nfile:///tmp/b\r\n")
            << QStringList { QStringLiteral("/tmp/two\nlines.txt"), QStringLiteral("/tmp/b") };
        QTest::newRow("comments and other schemes")
            << uriList << QByteArray("# copied\r\nhttps://example.com/\r\nfile:///etc/hosts")
            << QStringList { QStringLiteral("/etc/hosts") };
        QTest::newRow("this host by name")
            << uriList << QByteArray("file://localhost/etc/hosts\r\nfile://LOCALHOST/etc/passwd\r\n")
            << QStringList { QStringLiteral("/etc/hosts"), QStringLiteral("/etc/passwd") };
        QTest::newRow("another host") << uriList << QByteArray("file://server/etc/hosts\r\n") << QStringList();
        QTest::newRow("another host, from a file manager")
            << ClipboardTypes::gnomeCopiedFiles() << QByteArray("copy\nfile://server/x\nfile:///srv/a%0Ab")
            << QStringList { QStringLiteral("/srv/a\nb") };
    }

    void fileListsAreReadByTheirRules()
    {
        QFETCH(QString, type);
        QFETCH(QByteArray, list);
        QFETCH(QStringList, paths);
        QMimeData mime;
        mime.setData(type, list);
        QStringList read;
        for (const QUrl &url : ClipboardSnapshot::of(mime, everyType()).fileUrls())
            read.append(url.toLocalFile());
        QCOMPARE(read, paths);
    }

    // On X the content is another program's: these need a display.
    void aLargeImageComesWhole()
    {
        if (!onX11())
            QSKIP("needs an X display");
        QtSystemClipboard systemClipboard;
        // Above what Qt puts in one property (16 MB where the server takes big requests), so it
        // sends the picture in INCR pieces.
        QByteArray image(20 * 1024 * 1024 + 7, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(image.data()), image.size() / 4);
        auto *mime = new QMimeData;
        mime->setData(QStringLiteral("image/png"), image);
        mime->setText(QStringLiteral("größer"));
        QGuiApplication::clipboard()->setMimeData(mime);
        QTRY_COMPARE(systemClipboard.changeCount(), 1);
        const std::optional<ClipboardSnapshot> read = readNow(systemClipboard);
        QVERIFY(read);
        QVERIFY(read->bytes(QStringLiteral("image/png")) == image);
        QCOMPARE(read->text(), QStringLiteral("größer"));
    }

    // A representation above the reader's limit is left out, and read no further than where its
    // size shows, whether it comes in one property or is announced for INCR pieces; the text
    // beside it still comes, and one within the limit comes whole.
    void aCopyAboveTheLimitIsLeftOut()
    {
        if (!onX11())
            QSKIP("needs an X display");
        const std::atomic<qint64> count = 0;
        X11SelectionReader reader(count, X11SelectionReader::defaultTimeout, qint64(1) << 20);
        QSignalSpy finished(&reader, &X11SelectionReader::finished);
        const auto offer = [](qsizetype size) {
            auto *mime = new QMimeData;
            mime->setData(QStringLiteral("image/png"), QByteArray(size, 'p'));
            mime->setText(QStringLiteral("beside it"));
            QGuiApplication::clipboard()->setMimeData(mime);
        };
        const auto readAll = [&]() -> std::optional<ClipboardSnapshot> {
            finished.clear();
            reader.read(1, 0, everyType(), {});
            if (!finished.wait(10000))
                return std::nullopt;
            return finished.first().first().value<ClipboardSnapshot>();
        };
        for (const qsizetype size : { qsizetype(3) << 20, qsizetype(20) << 20 }) {
            offer(size);
            const std::optional<ClipboardSnapshot> read = readAll();
            QVERIFY(read);
            QVERIFY(read->types.contains(QStringLiteral("image/png")));
            QVERIFY(!read->bytes(QStringLiteral("image/png")));
            QCOMPARE(read->text(), QStringLiteral("beside it"));
        }
        offer((qsizetype(1) << 20) - 64);
        const std::optional<ClipboardSnapshot> read = readAll();
        QVERIFY(read);
        QCOMPARE(read->bytes(QStringLiteral("image/png")).value_or(QByteArray()).size(), (qsizetype(1) << 20) - 64);

        // A transfer announced above the limit is not begun: its owner would be waited on for
        // the pieces until the read ran out, with the text beside it.
        // Qt hears of each change of owner here, not in the next test.
        QSignalSpy owners(QGuiApplication::clipboard(), &QClipboard::changed);
        std::optional<ClipboardSnapshot> announced;
        QElapsedTimer clock;
        {
            HugeImageOwner huge;
            QVERIFY(owners.wait(5000));
            clock.start();
            announced = readAll();
        }
        QVERIFY(announced);
        QVERIFY(!announced->bytes(QStringLiteral("image/png")));
        QCOMPARE(announced->text(), QStringLiteral("beside it"));
        QVERIFY(clock.elapsed() < X11SelectionReader::defaultTimeout.count());
        owners.clear();
        QVERIFY(owners.wait(5000));
    }

    // An owner is asked for its targets once a change, however many reads the change takes, and
    // again for the next change.
    void theTargetsAreAskedOnceAChange()
    {
        if (!onX11())
            QSKIP("needs an X display");
        std::atomic<qint64> count = 0;
        X11SelectionReader reader(count);
        QSignalSpy finished(&reader, &X11SelectionReader::finished);
        QSignalSpy owners(QGuiApplication::clipboard(), &QClipboard::changed);
        const auto readOf = [&](const QString &type) -> std::optional<ClipboardSnapshot> {
            finished.clear();
            reader.read(1, count.load(), { type }, {});
            if (!finished.wait(10000))
                return std::nullopt;
            return finished.first().first().value<ClipboardSnapshot>();
        };
        {
            HugeImageOwner owner(false);
            QVERIFY(owners.wait(5000));
            QCOMPARE(readOf(ClipboardTypes::plainText())->text(), QStringLiteral("beside it"));
            QCOMPARE(readOf(QStringLiteral("image/png"))->bytes(QStringLiteral("image/png")), QByteArray("png bytes"));
            QCOMPARE(owner.targetsAsked(), 1);
            ++count;
            QCOMPARE(readOf(QStringLiteral("image/png"))->types.size(), 2);
            QCOMPARE(owner.targetsAsked(), 2);
        }
        // Qt hears of the owner's leaving here, not in the next test.
        owners.clear();
        QVERIFY(owners.wait(5000));
    }

    // The text selected in a program (PRIMARY) is read apart from the clipboard, which keeps its
    // own; a change of the clipboard meanwhile does not end the read.
    void theSelectedTextIsReadApart()
    {
        if (!onX11())
            QSKIP("needs an X display");
        QtSystemClipboard systemClipboard;
        QGuiApplication::clipboard()->setText(QStringLiteral("copied"));
        QGuiApplication::clipboard()->setText(QStringLiteral("selected"), QClipboard::Selection);
        QTRY_COMPARE(systemClipboard.changeCount(), 1);
        QSignalSpy reads(&systemClipboard, &SystemClipboard::contentsRead);
        const quint64 id = systemClipboard.readSelectedText();
        QGuiApplication::clipboard()->setText(QStringLiteral("copied again"));
        QTRY_COMPARE(reads.size(), 1);
        const auto read = reads.first().first().value<ClipboardSnapshot>();
        QCOMPARE(read.id, id);
        QCOMPARE(read.text(), QStringLiteral("selected"));
        QCOMPARE(readNow(systemClipboard)->text(), QStringLiteral("copied again"));
    }

    void anOwnerThatNeverAnswersHoldsUpNothing()
    {
        if (!onX11())
            QSKIP("needs an X display");
        QtSystemClipboard systemClipboard;
        QSignalSpy reads(&systemClipboard, &SystemClipboard::contentsRead);
        {
            SilentOwner silent;
            QTRY_COMPARE(systemClipboard.changeCount(), 1);
            const quint64 silentRead = systemClipboard.read(1, everyType());
            // The interface goes on while the owner is asked: what is posted after the read
            // was asked for runs before its answer.
            int answersBeforeNextTurn = -1;
            QMetaObject::invokeMethod(
                this, [&] { answersBeforeNextTurn = int(reads.size()); }, Qt::QueuedConnection);
            QTRY_COMPARE(answersBeforeNextTurn, 0);
            // It runs out: the owner's copy is nothing.
            QTRY_COMPARE_WITH_TIMEOUT(reads.size(), 1, 10000);
            const auto answer = reads.first().first().value<ClipboardSnapshot>();
            QCOMPARE(answer.id, silentRead);
            QVERIFY(answer.types.isEmpty());

            // Taken again, and a copy follows while the owner is still asked: the copy is read,
            // and the silent owner's read ends with nothing.
            reads.clear();
            SilentOwner again;
            QTRY_COMPARE(systemClipboard.changeCount(), 2);
            const quint64 silentAgain = systemClipboard.read(2, everyType());
            QGuiApplication::clipboard()->setText(QStringLiteral("a real copy"));
            QTRY_COMPARE(systemClipboard.changeCount(), 3);
            const std::optional<ClipboardSnapshot> copy = readNow(systemClipboard);
            QVERIFY(copy);
            QCOMPARE(copy->text(), QStringLiteral("a real copy"));
            QCOMPARE(reads.first().first().value<ClipboardSnapshot>().id, silentAgain);
            QVERIFY(reads.first().first().value<ClipboardSnapshot>().types.isEmpty());
        }
    }
};

QTEST_MAIN(TestSystemClipboard)
#include "tst_SystemClipboard.moc"
