#include "Services/Updates/FeedUpdateDriver.h"

#include "Platform/AlertPresenter.h"
#include "Platform/Clock.h"
#include "Platform/SettingsStore.h"
#include "Services/Shell/BuildInfo.h"
#include "Services/Updates/UpdateDriverDelegate.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QVersionNumber>

#include <algorithm>

namespace {

const QString automaticChecksKey = QStringLiteral("automaticallyChecksForUpdates");
const QString lastCheckKey = QStringLiteral("lastUpdateCheck");

constexpr int transferTimeout = 30 * 1000;
// Never check sooner than this after start-up or a change of schedule, so that start-up
// stays quick and a clock that jumps cannot make the checks run back to back.
constexpr qint64 minimumDelay = 30 * 1000;
// Wake up at least this often to compare with the wall clock, which goes on during sleep.
constexpr qint64 maximumDelay = 60 * 60 * 1000;

bool isWebAddress(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

// A version of dotted numbers only, such as "28" or "1.4.2", without trailing zeros (1.0 is
// 1); nothing for any other text.
std::optional<QVersionNumber> dottedNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype suffix = 0;
    const QVersionNumber number = QVersionNumber::fromString(trimmed, &suffix);
    if (number.isNull() || suffix != trimmed.size())
        return std::nullopt;
    return number.normalized();
}

Error feedError(const QString &detail)
{
    return Error { QStringLiteral("The update information could not be read."), detail };
}

} // namespace

FeedUpdateDriver::FeedUpdateDriver(
    Source source, SettingsStore &settings, const Clock &clock, AlertPresenter &alerts, QObject *parent)
    : QObject(parent)
    , m_source(std::move(source))
    , m_settings(settings)
    , m_clock(clock)
    , m_alerts(alerts)
    , m_network(new QNetworkAccessManager(this))
{
    openDownload = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    isInFocus = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FeedUpdateDriver::scheduledTimeReached);
}

FeedUpdateDriver::~FeedUpdateDriver()
{
    // An aborted reply finishes at once; nothing of this half-destroyed object may hear it.
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

FeedUpdateDriver::Source FeedUpdateDriver::builtInSource()
{
    return Source { BuildInfo::updateFeed(), BuildInfo::buildNumber(), BuildInfo::version() };
}

Result<UpdateItem> FeedUpdateDriver::parseFeed(const QByteArray &document)
{
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(document, &parseError);
    if (parseError.error != QJsonParseError::NoError || !json.isObject())
        return feedError(QStringLiteral("It is not a JSON object."));
    const QJsonObject feed = json.object();

    UpdateItem item;
    item.version = feed.value(QLatin1String("version")).toString().trimmed();
    if (!dottedNumber(item.version))
        return feedError(QStringLiteral("It has no version made of numbers."));

    const QJsonValue display = feed.value(QLatin1String("displayVersion"));
    if (!display.isUndefined() && !display.isNull() && !display.isString())
        return feedError(QStringLiteral("Its display version is not text."));
    item.displayVersion = display.toString().trimmed();
    if (item.displayVersion.isEmpty())
        item.displayVersion = item.version;

    item.downloadUrl = QUrl(feed.value(QLatin1String("url")).toString(), QUrl::StrictMode);
    if (!isWebAddress(item.downloadUrl))
        return feedError(QStringLiteral("It has no web address to download from."));
    return item;
}

bool FeedUpdateDriver::isNewer(const QString &candidate, const QString &current)
{
    const std::optional<QVersionNumber> offered = dottedNumber(candidate);
    // A copy whose own build number is not a number cannot tell; it never claims an update.
    const std::optional<QVersionNumber> running = dottedNumber(current);
    return offered && running && QVersionNumber::compare(*offered, *running) > 0;
}

void FeedUpdateDriver::start(UpdateDriverDelegate *delegate)
{
    m_delegate = delegate;
    m_started = true;
    reschedule();
}

bool FeedUpdateDriver::automaticallyChecks() const
{
    const QVariant stored = m_settings.value(automaticChecksKey);
    return stored.isValid() ? stored.toBool() : true;
}

void FeedUpdateDriver::setAutomaticallyChecks(bool value)
{
    m_settings.setValue(automaticChecksKey, value);
    reschedule();
}

bool FeedUpdateDriver::hasSource() const
{
    return isWebAddress(m_source.feed);
}

void FeedUpdateDriver::checkForUpdates()
{
    if (m_presenting)
        return;
    if (!hasSource()) {
        tell(QStringLiteral("Vemra can’t check for updates."), noSourceMessage(), false);
        return;
    }
    if (m_reminder) {
        // The update a scheduled check left for later: show it as it was found.
        const UpdateItem update = *m_reminder;
        m_reminder.reset();
        if (m_delegate)
            m_delegate->willHandleShowingUpdate(true, update);
        offer(update);
        return;
    }
    if (m_reply) {
        m_userInitiated = true; // the check under way now reports to the user
        return;
    }
    fetch(true);
}

void FeedUpdateDriver::checkInBackground()
{
    if (!hasSource() || m_presenting || m_reply)
        return;
    fetch(false);
}

void FeedUpdateDriver::fetch(bool userInitiated)
{
    m_userInitiated = userInitiated;
    m_tooLarge = false;
    m_settings.setValue(lastCheckKey, m_clock.now().toMSecsSinceEpoch());
    reschedule();

    QNetworkRequest request(m_source.feed);
    request.setTransferTimeout(transferTimeout);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Vemra/%1").arg(m_source.currentDisplayVersion));
    QNetworkReply *reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > maximumFeedSize && !m_tooLarge) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { fetched(reply); });
}

void FeedUpdateDriver::fetched(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return;
    m_reply = nullptr;
    const bool userInitiated = m_userInitiated;
    m_userInitiated = false;

    std::optional<Result<UpdateItem>> outcome;
    if (m_tooLarge)
        outcome = feedError(QStringLiteral("It is far larger than update information can be."));
    else if (reply->error() != QNetworkReply::NoError)
        outcome = Result<UpdateItem>(
            Error { QStringLiteral("The update source could not be reached."), reply->errorString() });
    else
        outcome = parseFeed(reply->readAll());

    if (!outcome->ok()) {
        // A scheduled check that fails stays quiet and leaves a waiting reminder as it is.
        if (userInitiated) {
            const Error &error = outcome->error();
            tell(QStringLiteral("Vemra couldn’t check for updates."),
                QStringLiteral("Nothing has been changed. Try again later.\n\n") + error.description(), true);
        }
        return;
    }

    const UpdateItem update = outcome->value();
    if (!isNewer(update.version, m_source.currentVersion)) {
        m_reminder.reset();
        if (userInitiated)
            tell(QStringLiteral("You’re up to date."),
                QStringLiteral("Vemra %1 is the newest version available.").arg(m_source.currentDisplayVersion), false);
        else
            finishSession();
        return;
    }

    bool showHere = true;
    if (!userInitiated && m_delegate && m_delegate->supportsGentleScheduledUpdateReminders())
        showHere = m_delegate->shouldHandleShowingScheduledUpdate(update, isInFocus && isInFocus());
    if (m_delegate)
        m_delegate->willHandleShowingUpdate(showHere, update);
    if (showHere) {
        m_reminder.reset();
        offer(update);
    } else {
        m_reminder = update;
    }
}

void FeedUpdateDriver::offer(const UpdateItem &update)
{
    if (m_delegate)
        m_delegate->didReceiveUserAttention(update);

    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = QStringLiteral("Vemra %1 is available.").arg(update.displayVersion);
    alert.informativeText = QStringLiteral("You have version %1. Would you like to download the new version?")
                                .arg(m_source.currentDisplayVersion);
    alert.buttons = { QStringLiteral("Download"), QStringLiteral("Later") };
    alert.cancelButton = 1;

    QPointer<FeedUpdateDriver> alive(this);
    m_presenting = true;
    const int answer = m_alerts.present(alert);
    if (!alive)
        return;
    m_presenting = false;
    if (answer == 0 && openDownload)
        openDownload(update.downloadUrl);
    finishSession();
}

void FeedUpdateDriver::tell(const QString &title, const QString &text, bool warning)
{
    Alert alert;
    alert.style = warning ? Alert::Style::Warning : Alert::Style::Informational;
    alert.title = title;
    alert.informativeText = text;

    QPointer<FeedUpdateDriver> alive(this);
    m_presenting = true;
    m_alerts.present(alert);
    if (!alive)
        return;
    m_presenting = false;
    finishSession();
}

void FeedUpdateDriver::finishSession()
{
    if (m_delegate)
        m_delegate->willFinishUpdateSession();
}

void FeedUpdateDriver::reschedule()
{
    m_timer.stop();
    m_nextCheck.reset();
    if (!m_started || !hasSource() || !automaticallyChecks())
        return;

    const QDateTime now = m_clock.now();
    const QVariant last = m_settings.value(lastCheckKey);
    QDateTime due = last.isValid() ? QDateTime::fromMSecsSinceEpoch(last.toLongLong()).addMSecs(checkInterval) : now;
    // A last check in the future means the clock was turned back: start the day afresh.
    if (due > now.addMSecs(checkInterval))
        due = now;
    m_nextCheck = due;
    m_timer.start(int(std::clamp(now.msecsTo(due), minimumDelay, maximumDelay)));
}

void FeedUpdateDriver::scheduledTimeReached()
{
    if (m_nextCheck && m_clock.now() >= *m_nextCheck)
        checkInBackground();
    if (!m_reply)
        reschedule();
}
