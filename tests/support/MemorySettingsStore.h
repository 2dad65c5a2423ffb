#pragma once

#include "Platform/SettingsStore.h"

#include <QHash>

// Settings held in memory; counts writes so tests can tell a write from a no-op.
class MemorySettingsStore final : public SettingsStore
{
public:
    bool contains(const QString &key) const override;
    QVariant value(const QString &key) const override;
    void setValue(const QString &key, const QVariant &value) override;
    void remove(const QString &key) override;

    int writeCount() const { return m_writes; }
    const QHash<QString, QVariant> &values() const { return m_values; }

private:
    QHash<QString, QVariant> m_values;
    int m_writes = 0;
};
