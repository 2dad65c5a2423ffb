#pragma once

#include "Services/Sound/SoundBank.h"
#include "Services/Sound/SoundPlayer.h"

#include <QStringList>

#include <memory>

// A sound bank whose sounds are only written down, by name ("done", "pop", "focus-complete").
class SoundLog final
{
public:
    SoundLog()
        : m_bank([this](const QString &path) -> std::unique_ptr<SoundPlayer> {
            return std::make_unique<Player>(
                path.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0), m_played);
        })
    {
    }

    SoundBank &bank() { return m_bank; }
    const QStringList &played() const { return m_played; }
    void clear() { m_played.clear(); }

private:
    class Player final : public SoundPlayer
    {
    public:
        Player(QString name, QStringList &log)
            : m_name(std::move(name))
            , m_log(log)
        {
        }
        void setVolume(qreal) override { }
        void stop() override { }
        void play() override { m_log.append(m_name); }

    private:
        QString m_name;
        QStringList &m_log;
    };

    QStringList m_played;
    SoundBank m_bank;
};
