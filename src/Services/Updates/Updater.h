#pragma once

#include "Services/Updates/UpdateDriver.h"
#include "Services/Updates/UpdateDriverDelegate.h"

#include <QObject>
#include <QString>

// Connects the application to its update driver. The driver checks and shows its own
// windows; an update that a scheduled check finds while the user is busy elsewhere becomes
// `availableVersion` instead, which the menus announce quietly (a dot, an offer entry)
// until the user looks at it.
class Updater final : public QObject, public UpdateDriverDelegate
{
    Q_OBJECT
    Q_PROPERTY(QString availableVersion READ availableVersion NOTIFY availableVersionChanged)
    Q_PROPERTY(bool automaticallyChecks READ automaticallyChecks WRITE setAutomaticallyChecks NOTIFY
            automaticallyChecksChanged)

public:
    // Starts the driver at once; the driver outlives the updater.
    explicit Updater(UpdateDriver &driver, QObject *parent = nullptr);
    ~Updater() override;

    // The display version of an update waiting to be announced; empty when there is none
    // or the user has already been shown it.
    QString availableVersion() const { return m_availableVersion; }

    // Whether this build has a place to look for updates.
    bool hasUpdateSource() const { return m_driver.hasSource(); }
    // Kept by the driver, not by Preferences; read from it every time. Off, and kept off, where
    // there is no update source: no check could ever run.
    bool automaticallyChecks() const;
    void setAutomaticallyChecks(bool value);

    // A check the user asked for; the driver shows its own windows for every outcome.
    // Callers close the panel first.
    void checkForUpdates();

    // The application's version text, such as "1.4 (27)".
    static QString version();
    // The short version ("1.0" when empty), then the build number in parentheses when
    // there is one.
    static QString versionText(const QString &shortVersion, const QString &buildNumber);

    bool supportsGentleScheduledUpdateReminders() const override { return true; }
    bool shouldHandleShowingScheduledUpdate(const UpdateItem &update, bool immediateFocus) override;
    void willHandleShowingUpdate(bool handleShowingUpdate, const UpdateItem &update) override;
    void didReceiveUserAttention(const UpdateItem &update) override;
    void willFinishUpdateSession() override;

Q_SIGNALS:
    void availableVersionChanged(const QString &version);
    void automaticallyChecksChanged(bool value);

private:
    void setAvailableVersion(const QString &version);

    UpdateDriver &m_driver;
    QString m_availableVersion;
};
