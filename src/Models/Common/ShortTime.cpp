#include "Models/Common/ShortTime.h"

#include <QRegularExpression>

namespace ShortTime {

QString format(const QLocale &locale)
{
    QString shortened = locale.timeFormat(QLocale::ShortFormat);
    // The seconds with the separator before them, and any fraction after them.
    static const QRegularExpression seconds(QStringLiteral("[:.]?s{1,2}([.,]z+)?"));
    shortened.remove(seconds);
    return shortened.trimmed();
}

QString text(const QTime &time, const QLocale &locale)
{
    return locale.toString(time, format(locale));
}

} // namespace ShortTime
