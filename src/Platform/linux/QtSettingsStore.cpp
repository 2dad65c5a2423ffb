#include "Platform/linux/QtSettingsStore.h"

QtSettingsStore::QtSettingsStore()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vemra"), QStringLiteral("Vemra"))
{
}

QtSettingsStore::QtSettingsStore(const QString &iniPath)
    : m_settings(iniPath, QSettings::IniFormat)
{
}

bool QtSettingsStore::contains(const QString &key) const
{
    return m_settings.contains(key);
}

QVariant QtSettingsStore::value(const QString &key) const
{
    return m_settings.value(key);
}

void QtSettingsStore::setValue(const QString &key, const QVariant &value)
{
    m_settings.setValue(key, value);
    m_settings.sync();
}

void QtSettingsStore::remove(const QString &key)
{
    m_settings.remove(key);
    m_settings.sync();
}
