#include "Services/Sound/SoundBank.h"

#include "Services/Sound/SoundEffectPlayer.h"

SoundBank::SoundBank()
    : SoundBank(&SoundEffectPlayer::make)
{
}

SoundBank::SoundBank(Factory factory)
    : m_factory(std::move(factory))
{
}

SoundBank::~SoundBank() = default;

void SoundBank::play(Sound sound)
{
    Slot &slot = m_slots[std::size_t(sound)];
    if (!slot.tried) {
        slot.tried = true;
        slot.player = m_factory(path(sound));
        if (slot.player)
            slot.player->setVolume(volume(sound));
    }
    if (!slot.player)
        return;
    slot.player->stop();
    slot.player->play();
}

QString SoundBank::path(Sound sound)
{
    switch (sound) {
    case Sound::Done:
        return QStringLiteral(":/sounds/done.wav");
    case Sound::Pop:
        return QStringLiteral(":/sounds/pop.wav");
    case Sound::FocusComplete:
        return QStringLiteral(":/sounds/focus-complete.wav");
    }
    return {};
}

qreal SoundBank::volume(Sound sound)
{
    return sound == Sound::FocusComplete ? 0.5 : 1.0;
}
