#pragma once

#include "Models/Common/Result.h"
#include "Services/Updates/UpdateDriver.h"
#include "Services/Updates/UpdateItem.h"

#include <QDateTime>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <optional>

class AlertPresenter;
class Clock;
class QNetworkAccessManager;

class SettingsStore;

// The update driver of this application: it reads a small JSON feed, announces a newer
// release and offers its download page; it installs nothing itself. The feed is one object:
//
//   {"version": "28", "displayVersion": "1.5", "url": "https://example.org/vemra-1.5"}
//
// "version" is compared with the running copy's build number as dotted numbers;
// "displayVersion" (optional, else "version") is what people are shown. Without a feed
// address the user is told so and no scheduled check runs. Scheduled checks run once a day
// while automatic checks are on; a failed scheduled check stays quiet.
class FeedUpdateDriver final : public QObject, public UpdateDriver
{
    Q_OBJECT

public:
    struct Source
    {
        QUrl feed;
        // The running copy's build number and the version shown to people.
        QString currentVersion;
        QString currentDisplayVersion;
    };

    static constexpr qint64 checkInterval = 24 * 60 * 60 * 1000;
    // The feed is a few hundred bytes; anything far larger is not a feed.
    static constexpr qint64 maximumFeedSize = 64 * 1024;

    FeedUpdateDriver(
        Source source, SettingsStore &settings, const Clock &clock, AlertPresenter &alerts, QObject *parent = nullptr);
    ~FeedUpdateDriver() override;

    // The source this build was made with.
    static Source builtInSource();
    // Reads one feed document.
    static Result<UpdateItem> parseFeed(const QByteArray &document);
    // Whether `candidate` is a later version than `current`, both compared as dotted numbers.
    static bool isNewer(const QString &candidate, const QString &current);

    void start(UpdateDriverDelegate *delegate) override;
    bool hasSource() const override;
    bool automaticallyChecks() const override;
    void setAutomaticallyChecks(bool value) override;
    void checkForUpdates() override;

    // The check the schedule runs; quiet unless the delegate wants an update shown.
    void checkInBackground();
    bool isChecking() const { return m_reply != nullptr; }
    // When the next scheduled check is due; nothing while none is scheduled.
    std::optional<QDateTime> nextScheduledCheck() const { return m_nextCheck; }

    // Opens the download page of an update the user chose (the desktop's browser by default).
    std::function<void(const QUrl &)> openDownload;
    // Whether a window of ours would come up in front of the user now (by default: whether
    // the application is active).
    std::function<bool()> isInFocus;

private:
    void fetch(bool userInitiated);
    void fetched(QNetworkReply *reply);
    void reschedule();
    void scheduledTimeReached();
    void offer(const UpdateItem &update);
    void tell(const QString &title, const QString &text, bool warning);
    void finishSession();

    Source m_source;
    SettingsStore &m_settings;
    const Clock &m_clock;
    AlertPresenter &m_alerts;
    UpdateDriverDelegate *m_delegate = nullptr;
    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    bool m_userInitiated = false;
    bool m_tooLarge = false;
    bool m_presenting = false;
    bool m_started = false;
    // An update found by a scheduled check and left to the application to announce.
    std::optional<UpdateItem> m_reminder;
    QTimer m_timer;
    std::optional<QDateTime> m_nextCheck;
};
