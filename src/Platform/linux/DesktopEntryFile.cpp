#include "Platform/linux/DesktopEntryFile.h"

#include <QIODevice>

void DesktopEntryFile::readMainGroup(QIODevice &device, const Visitor &visit)
{
    bool inMainGroup = false;
    while (!device.atEnd()) {
        const QString line = QString::fromUtf8(device.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        if (!visit(line.left(equals).trimmed(), line.mid(equals + 1).trimmed()))
            return;
    }
}
