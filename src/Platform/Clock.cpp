#include "Platform/Clock.h"

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}
