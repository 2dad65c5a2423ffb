#include "Services/Clipboard/ClipboardRowText.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ClipboardItem)

namespace {

const QDateTime now(QDate(2026, 3, 2), QTime(12, 0));

ClipboardItem copiedAt(const QDateTime &when, const QString &app, qint64 count)
{
    ClipboardItem item;
    item.rawKind = QStringLiteral("text");
    item.content = QStringLiteral("hello");
    item.lastCopiedAt = when;
    item.sourceAppName = app;
    item.copyCount = count;
    return item;
}

} // namespace

class tst_ClipboardRowText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void details_data();
    void details();
    void accessibleLabels();
    void fileIconsGoByExtension_data();
    void fileIconsGoByExtension();
};

void tst_ClipboardRowText::details_data()
{
    QTest::addColumn<ClipboardItem>("item");
    QTest::addColumn<bool>("longForm");
    QTest::addColumn<QString>("expected");

    QTest::newRow("once, with the source")
        << copiedAt(now.addSecs(-300), u"Editor"_s, 1) << false << u"5 min ago \u00B7 Editor"_s;
    QTest::newRow("twice") << copiedAt(now.addSecs(-300), u"Editor"_s, 2) << true
                           << u"5 minutes ago \u00B7 Editor \u00B7 Copied 2 times"_s;
    QTest::newRow("no source: no empty part")
        << copiedAt(now.addSecs(-10), u""_s, 3) << false << u"Just now \u00B7 Copied 3 times"_s;
    QTest::newRow("no source, once") << copiedAt(now.addSecs(-10), u""_s, 1) << false << u"Just now"_s;
    // An imported name of megabytes is cut before any row lays it out.
    QTest::newRow("a name of 5 MB") << copiedAt(now.addSecs(-10), QString(5'000'000, u'n'), 2) << false
                                    << u"Just now \u00B7 "_s + QString(200, u'n') + u"\u2026 \u00B7 Copied 2 times"_s;
    QTest::newRow("a pair at the cut stays whole")
        << copiedAt(now.addSecs(-10), QString(199, u'n') + u"\U0001F600\U0001F600"_s, 1) << false
        << u"Just now \u00B7 "_s + QString(199, u'n') + u"\u2026"_s;
}

void tst_ClipboardRowText::details()
{
    QFETCH(ClipboardItem, item);
    QFETCH(bool, longForm);
    QFETCH(QString, expected);
    QCOMPARE(ClipboardRowText::details(item, now, longForm, ClipboardCalendar::current()), expected);
}

void tst_ClipboardRowText::accessibleLabels()
{
    ClipboardItem picture;
    picture.rawKind = QStringLiteral("image");
    QCOMPARE(ClipboardRowText::accessibleLabel(picture), QStringLiteral("Image: "));
    picture.pixelWidth = 10;
    picture.pixelHeight = 20;
    QCOMPARE(ClipboardRowText::accessibleLabel(picture), QStringLiteral("Image: 10 \u00D7 20"));
    ClipboardItem link;
    link.rawKind = QStringLiteral("url");
    link.content = QStringLiteral("https://www.example.com/a/");
    QCOMPARE(ClipboardRowText::accessibleLabel(link), QStringLiteral("Link: example.com/a"));
}

void tst_ClipboardRowText::fileIconsGoByExtension_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("icon");
    QTest::newRow("a document") << u"/nowhere/report.pdf"_s << u"application-pdf"_s;
    QTest::newRow("a picture") << u"/nowhere/photo.PNG"_s << u"image-png"_s;
    QTest::newRow("no extension") << u"/etc/hosts"_s << u"application-octet-stream"_s;
    QTest::newRow("an extension no type knows") << u"/nowhere/a.zzzq"_s << u"application-octet-stream"_s;
    QTest::newRow("a dot in the folder only") << u"/nowhere/v1.2/README"_s << u"application-octet-stream"_s;
    QTest::newRow("no path") << u""_s << u"application-octet-stream"_s;
}

void tst_ClipboardRowText::fileIconsGoByExtension()
{
    QFETCH(QString, path);
    QFETCH(QString, icon);
    QCOMPARE(ClipboardRowText::fileIconName(path), icon);
}

QTEST_GUILESS_MAIN(tst_ClipboardRowText)
#include "tst_ClipboardRowText.moc"
