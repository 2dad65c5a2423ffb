// Headers that most sources of the lower layers include, parsed once per build.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
