#include "Platform/linux/DesktopEntryFile.h"

#include <QIODevice>

void DesktopEntryFile::readMainGroup(QIODevice &device, const Visitor &visit)
{
    readGroup(device, QStringLiteral("Desktop Entry"), visit);
}

void DesktopEntryFile::readGroup(QIODevice &device, const QString &group, const Visitor &visit)
{
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    bool inGroup = false;
    while (!device.atEnd()) {
        const QString line = QString::fromUtf8(device.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == header;
            continue;
        }
        if (!inGroup || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        if (!visit(line.left(equals).trimmed(), line.mid(equals + 1).trimmed()))
            return;
    }
}
