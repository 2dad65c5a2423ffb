#include "Platform/TypeIdentifiers.h"
#include "Platform/linux/QtSystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

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
        QCOMPARE(systemClipboard.changeCount(), start + 1);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(systemClipboard.string(), QStringLiteral("from elsewhere"));
        QVERIFY(systemClipboard.types().contains(QStringLiteral("text/plain")));

        QGuiApplication::clipboard()->setText(QStringLiteral("selection only"), QClipboard::Selection);
        QCOMPARE(systemClipboard.changeCount(), start + 1);

        ClipboardWrite write;
        write.text = QStringLiteral("https://example.com/a");
        write.urls = { QUrl(QStringLiteral("https://example.com/a")) };
        const std::optional<qint64> count = systemClipboard.write(write);
        QCOMPARE(count, std::optional<qint64>(start + 2));
        QCOMPARE(systemClipboard.changeCount(), start + 2);
        QCOMPARE(changes.count(), 2); // the selection's change is none of ours
        QCOMPARE(systemClipboard.string(), QStringLiteral("https://example.com/a"));
        QVERIFY(systemClipboard.types().contains(QStringLiteral("text/uri-list")));
        QVERIFY(systemClipboard.fileUrls().isEmpty()); // a web link is no file
    }

    void filesAreWrittenForFileManagersWithoutText()
    {
        QtSystemClipboard systemClipboard;
        ClipboardWrite write;
        write.fileUrls
            = { QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/c")) };
        QVERIFY(systemClipboard.write(write));
        QCOMPARE(systemClipboard.fileUrls(), write.fileUrls);
        QVERIFY(!systemClipboard.string());
        QCOMPARE(systemClipboard.data(SystemClipboard::gnomeCopiedFilesType()),
            QByteArray("copy\nfile:///tmp/a%20b.txt\nfile:///tmp/c"));

        // A file manager that offers only its own list is read as well.
        auto *mime = new QMimeData;
        mime->setData(SystemClipboard::gnomeCopiedFilesType(), "cut\nfile:///srv/x.png\nhttps://example.com/\n");
        QGuiApplication::clipboard()->setMimeData(mime);
        QCOMPARE(systemClipboard.fileUrls(), QList<QUrl> { QUrl::fromLocalFile(QStringLiteral("/srv/x.png")) });
        QVERIFY(SystemClipboard::offersFiles(systemClipboard.types()));
        QVERIFY(!systemClipboard.data(QStringLiteral("image/png")));
    }

    void fileListsAreReadByTheirRules_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QStringList>("paths");
        const QString uriList = SystemClipboard::uriListType();
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
            << SystemClipboard::gnomeCopiedFilesType() << QByteArray("copy\nfile://server/x\nfile:///srv/a%0Ab")
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
        for (const QUrl &url : SystemClipboard::fileUrlsIn(mime))
            read.append(url.toLocalFile());
        QCOMPARE(read, paths);
    }
};

QTEST_MAIN(TestSystemClipboard)
#include "tst_SystemClipboard.moc"
