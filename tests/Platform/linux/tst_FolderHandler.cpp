#include "Platform/linux/FolderHandler.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

using Files = QList<std::pair<QString, QByteArray>>;

namespace {

const QByteArray filesApp = "[Desktop Entry]\nType=Application\nName=Files\nMimeType=inode/directory;\n";
const QByteArray browserApp
    = "[Desktop Entry]\nType=Application\nName=Web\nMimeType=text/html;x-scheme-handler/http;\n";
const QByteArray plainApp = "[Desktop Entry]\nType=Application\nName=Plain\n";

} // namespace

class TestFolderHandler final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Files are written under the user's (u) or the system's (s) configuration (c) or
    // applications (a) folder.
    void handlerIsFoundAsXdgOpenFindsIt_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("handler");
        QTest::newRow("nothing") << Files {} << QString();
        QTest::newRow("only a browser") << Files { { QStringLiteral("sa/web.desktop"), browserApp } } << QString();
        QTest::newRow("an entry that declares folders") << Files { { QStringLiteral("sa/web.desktop"), browserApp },
            { QStringLiteral("sa/files.desktop"), filesApp } }
                                                        << QStringLiteral("files.desktop");
        QTest::newRow("the user's default over a declaring entry") << Files {
            { QStringLiteral("sa/files.desktop"), filesApp }, { QStringLiteral("ua/plain.desktop"), plainApp },
            { QStringLiteral("uc/mimeapps.list"),
                "[Added Associations]\ninode/directory=files.desktop;\n"
                "[Default Applications]\ninode/directory=gone.desktop;plain.desktop;\n" }
        } << QStringLiteral("plain.desktop");
        QTest::newRow("a default whose entry is not installed") << Files {
            { QStringLiteral("sc/mimeapps.list"), "[Default Applications]\ninode/directory=gone.desktop\n" }
        } << QString();
        QTest::newRow("the system's default") << Files { { QStringLiteral("sa/plain.desktop"), plainApp },
            { QStringLiteral("sa/mimeapps.list"), "[Default Applications]\ninode/directory=plain.desktop\n" } }
                                              << QStringLiteral("plain.desktop");
        QTest::newRow("an added association") << Files { { QStringLiteral("sa/plain.desktop"), plainApp },
            { QStringLiteral("uc/mimeapps.list"), "[Added Associations]\ninode/directory=plain.desktop;\n" } }
                                              << QStringLiteral("plain.desktop");
    }
    void handlerIsFoundAsXdgOpenFindsIt()
    {
        QFETCH(Files, files);
        QFETCH(QString, handler);
        TestHome home;
        const QString system = home.path() + QStringLiteral("/system");
        qputenv("XDG_CONFIG_DIRS", (system + QStringLiteral("/etc")).toUtf8());
        qputenv("XDG_DATA_DIRS", (system + QStringLiteral("/share")).toUtf8());
        const QHash<QString, QString> folders {
            { QStringLiteral("uc"), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) },
            { QStringLiteral("ua"), QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) },
            { QStringLiteral("sc"), system + QStringLiteral("/etc") },
            { QStringLiteral("sa"), system + QStringLiteral("/share/applications") },
        };
        for (const auto &[name, text] : files) {
            const QString path = folders.value(name.left(2)) + name.mid(2);
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        QCOMPARE(FolderHandler::find(), handler);
    }
};

QTEST_GUILESS_MAIN(TestFolderHandler)
#include "tst_FolderHandler.moc"
