#include "Services/Updates/Updater.h"

#include "Services/Shell/BuildInfo.h"

Updater::Updater(UpdateDriver &driver, QObject *parent)
    : QObject(parent)
    , m_driver(driver)
{
    m_driver.start(this);
}

Updater::~Updater() = default;

bool Updater::automaticallyChecks() const
{
    return m_driver.hasSource() && m_driver.automaticallyChecks();
}

void Updater::setAutomaticallyChecks(bool value)
{
    if (!m_driver.hasSource() || m_driver.automaticallyChecks() == value)
        return;
    m_driver.setAutomaticallyChecks(value);
    Q_EMIT automaticallyChecksChanged(m_driver.automaticallyChecks());
}

void Updater::checkForUpdates()
{
    m_driver.checkForUpdates();
}

QString Updater::version()
{
    return versionText(BuildInfo::version(), BuildInfo::buildNumber());
}

QString Updater::versionText(const QString &shortVersion, const QString &buildNumber)
{
    QString text = shortVersion.isEmpty() ? QStringLiteral("1.0") : shortVersion;
    if (!buildNumber.isEmpty())
        text += QStringLiteral(" (") + buildNumber + QLatin1Char(')');
    return text;
}

bool Updater::shouldHandleShowingScheduledUpdate(const UpdateItem &, bool immediateFocus)
{
    return immediateFocus;
}

void Updater::willHandleShowingUpdate(bool handleShowingUpdate, const UpdateItem &update)
{
    if (!handleShowingUpdate)
        setAvailableVersion(update.displayVersion);
}

void Updater::didReceiveUserAttention(const UpdateItem &)
{
    setAvailableVersion({});
}

void Updater::willFinishUpdateSession()
{
    setAvailableVersion({});
}

void Updater::setAvailableVersion(const QString &version)
{
    if (m_availableVersion == version)
        return;
    m_availableVersion = version;
    Q_EMIT availableVersionChanged(m_availableVersion);
}
