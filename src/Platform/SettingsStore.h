#pragma once

#include <QString>
#include <QVariant>

// Key-value settings of the user (the user defaults). Every write is persisted at once.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    virtual bool contains(const QString &key) const = 0;
    // An invalid QVariant when the key is absent.
    virtual QVariant value(const QString &key) const = 0;
    virtual void setValue(const QString &key, const QVariant &value) = 0;
    virtual void remove(const QString &key) = 0;
};
