#include "Services/Clipboard/ClipboardClassifier.h"

#include <QTest>

Q_DECLARE_METATYPE(ClipboardKind)

class TestClipboardClassifier final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kind_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("app");
        QTest::addColumn<ClipboardKind>("kind");
        const auto url = ClipboardKind::Url;
        const auto code = ClipboardKind::Code;
        const auto text = ClipboardKind::Text;
        const QString none;
        const QString editor = QStringLiteral("com.microsoft.VSCode");

        // links
        QTest::newRow("https link") << "https://example.com/a?b=c" << none << url;
        QTest::newRow("http link with surrounding blanks") << "  http://example.com\n" << none << url;
        QTest::newRow("word before link") << "see https://example.com" << none << text;
        QTest::newRow("www without further dot") << "www.example" << none << text;
        QTest::newRow("www with further dot") << "www.example.com" << none << url;
        QTest::newRow("WWW upper case") << "WWW.Example.com" << none << url;
        QTest::newRow("mailto without at") << "mailto:someone" << none << text;
        QTest::newRow("mailto with at") << "mailto:someone@example.com" << none << url;
        QTest::newRow("upper-case scheme") << "HTTPS://EXAMPLE.COM" << none << url;
        QTest::newRow("file link") << "file:///etc/hosts" << none << text;
        QTest::newRow("ftp without host") << "ftp:/pub/file" << none << text;
        QTest::newRow("ftp with host") << "ftp://ftp.example.org/pub" << none << url;
        QTest::newRow("other scheme") << "ssh://host.example.org" << none << text;
        QTest::newRow("link from an editor stays a link") << "https://example.com" << editor << url;
        QTest::newRow("link split by a line break") << "https://a.example\nhttps://b.example" << none << text;

        // applications
        QTest::newRow("prose from an editor") << "Hello there, friend." << editor << code;
        QTest::newRow("prose from Debian's xterm") << "Hello there, friend."
                                                   << "debian-xterm" << code;
        QTest::newRow("prose from a Linux terminal") << "Hello there."
                                                     << "org.gnome.Terminal" << code;
        QTest::newRow("prose from a prefix app") << "Hello."
                                                 << "com.jetbrains.intellij" << code;
        QTest::newRow("prose elsewhere") << "Hello there, friend."
                                         << "org.gnome.TextEditor" << text;

        // shell commands
        QTest::newRow("git and one word") << "git status" << none << code;
        QTest::newRow("git line ending in a full stop") << "git status." << none << text;
        QTest::newRow("command of 16 words") << "ls a b c d e f g h i j k l m n o" << none << code;
        QTest::newRow("command of 17 words") << "ls a b c d e f g h i j k l m n o p" << none << text;
        QTest::newRow("command words are case-sensitive") << "Git status" << none << text;
        QTest::newRow("a tab does not split words") << "cd\tfolder" << none << text;

        // keywords
        QTest::newRow("import and one word") << "import Foundation" << none << code;
        QTest::newRow("import and four words") << "import the whole lot now" << none << text;
        QTest::newRow("import and two words") << "import a b" << none << code;
        QTest::newRow("import and three words") << "import a b c" << none << text;
        QTest::newRow("return and a word") << "return value" << none << text;
        QTest::newRow("return with a semicolon") << "return value;" << none << code;
        QTest::newRow("keyword with a code symbol") << "const x = 1" << none << code;
        QTest::newRow("keyword sentence with a symbol") << "from (the start) to the end." << none << text;
        QTest::newRow("keyword prefix needs its blank") << "imported goods" << none << text;
        QTest::newRow("comment") << "// note" << none << text;
        QTest::newRow("div: its own bracket is a code symbol") << "<div" << none << code;
        QTest::newRow("div with attributes") << "<div class=\"x\">" << none << code;

        // tokens and endings
        QTest::newRow("single equals sign") << "total = price" << none << text;
        QTest::newRow("double equals sign") << "total == price" << none << code;
        QTest::newRow("arrow") << "a -> b" << none << code;
        QTest::newRow("ends with an opening brace") << "whatever {" << none << code;
        QTest::newRow("ends with a closing brace alone") << "whatever }" << none << text;
        QTest::newRow("include") << "#include <vector>" << none << code;

        // several lines
        QTest::newRow("half the lines indented") << "Some words here\n  more words" << none << code;
        QTest::newRow("one in three lines indented") << "Some words\nmore words\n  indented" << none << text;
        QTest::newRow("tab-indented line") << "Title\n\tbody" << none << code;
        QTest::newRow("code endings") << "call(a,\n  b)\nnext line" << none << code;
        QTest::newRow("endings over prose") << "first thing,\nsecond thing,\nthird." << none << code;
        QTest::newRow("prose paragraphs") << "First line here.\n\nSecond line here.\nThird one." << none << text;
        QTest::newRow("blank lines count for nothing") << "x = f();\n   \n\t\n\nplain words" << none << code;
        QTest::newRow("carriage returns") << "a;\r\nplain\r\nwords" << none << text;
        QTest::newRow("crlf is one break") << "a;\r\nb;" << none << code;
        QTest::newRow("unicode line separator") << "a;\u2028plain words" << none << code;

        // blank
        QTest::newRow("empty") << "" << none << text;
        QTest::newRow("blanks only") << " \t\n " << none << text;
    }

    void kind()
    {
        QFETCH(QString, text);
        QFETCH(QString, app);
        QFETCH(ClipboardKind, kind);
        QCOMPARE(ClipboardClassifier::kind(text, app), kind);
    }

    void onlyTheFirstSixtyLinesAreJudged()
    {
        // 30 code lines then 70 prose lines: judged over the first 60 lines, half are code.
        QStringList lines;
        for (int i = 0; i < 30; ++i)
            lines << QStringLiteral("x = f(%1);").arg(i);
        for (int i = 0; i < 70; ++i)
            lines << QStringLiteral("plain words number %1").arg(i);
        QVERIFY(ClipboardClassifier::looksLikeCode(lines.join(QLatin1Char('\n'))));
        // 29 code lines of the first 60 is below half.
        lines.removeFirst();
        lines << QStringLiteral("x = y;");
        QVERIFY(!ClipboardClassifier::looksLikeCode(lines.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestClipboardClassifier)
#include "tst_ClipboardClassifier.moc"
