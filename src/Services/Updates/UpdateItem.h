#pragma once

#include <QString>
#include <QUrl>

// One release that the update feed offers.
struct UpdateItem
{
    // Compared with the build number of the running copy.
    QString version;
    // The version as people know it.
    QString displayVersion;
    // Where the release is downloaded from (http or https).
    QUrl downloadUrl;

    friend bool operator==(const UpdateItem &, const UpdateItem &) = default;
};
