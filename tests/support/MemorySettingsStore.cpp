#include "MemorySettingsStore.h"

bool MemorySettingsStore::contains(const QString &key) const
{
    return m_values.contains(key);
}

QVariant MemorySettingsStore::value(const QString &key) const
{
    return m_values.value(key);
}

void MemorySettingsStore::setValue(const QString &key, const QVariant &value)
{
    m_values.insert(key, value);
    ++m_writes;
}

void MemorySettingsStore::remove(const QString &key)
{
    m_values.remove(key);
    ++m_writes;
}
