#pragma once

#include "Services/Sound/SoundPlayer.h"

#include <QPointer>
#include <QString>

#include <memory>

class QSoundEffect;

// Plays a short uncompressed sound with QSoundEffect. Without an audio device the effect
// simply stays silent; nothing is reported.
class SoundEffectPlayer final : public SoundPlayer
{
public:
    // A player for the WAV file or resource at `path`; nullptr when there is no such file.
    static std::unique_ptr<SoundPlayer> make(const QString &path);

    ~SoundEffectPlayer() override;

    void setVolume(qreal volume) override;
    void stop() override;
    void play() override;

private:
    explicit SoundEffectPlayer(QSoundEffect *effect);

    // The effect belongs to the application object, so it is torn down with the audio
    // system rather than after it; this pointer then turns null.
    QPointer<QSoundEffect> m_effect;
};
