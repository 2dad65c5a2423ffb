#pragma once

#include "Platform/SettingsStore.h"

#include <QSettings>

// Settings in ~/.config/Vemra/Vemra.conf (INI), synced after every write so that a crash
// never loses a change.
class QtSettingsStore final : public SettingsStore
{
public:
    QtSettingsStore();
    // For tests and tools: an explicit INI file.
    explicit QtSettingsStore(const QString &iniPath);

    bool contains(const QString &key) const override;
    QVariant value(const QString &key) const override;
    void setValue(const QString &key, const QVariant &value) override;
    void remove(const QString &key) override;

private:
    QSettings m_settings;
};
