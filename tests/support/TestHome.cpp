#include "TestHome.h"

#include "Platform/DataPaths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

TestHome::TestHome()
    : m_oldHome(qgetenv("HOME"))
{
    const QString root = m_dir.path();
    for (const char *sub : { "config", "data", "cache", "runtime" })
        QDir(root).mkpath(QString::fromLatin1(sub));
    qputenv("HOME", root.toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (root + QStringLiteral("/cache")).toUtf8());
    QFile::setPermissions(
        root + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toUtf8());
    QStandardPaths::setTestModeEnabled(true);
}

TestHome::~TestHome()
{
    qputenv("HOME", m_oldHome);
}

QString TestHome::dataFolder() const
{
    return DataPaths::appFolder();
}

void TestHome::setReducesMotion(bool reduces)
{
    const QString folder
        = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/gtk-3.0");
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/settings.ini"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reduces ? "[Settings]\ngtk-enable-animations=false\n" : "[Settings]\n");
}
