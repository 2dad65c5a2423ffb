#pragma once

#include "Services/Sound/SoundPlayer.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>

// The application's three feedback sounds, each made on first use and kept from then on.
// A sound whose file cannot be found stays absent, and playing it does nothing.
class SoundBank final
{
public:
    enum class Sound { Done, Pop, FocusComplete };

    // Makes the player of one sound file; nullptr when the file is missing.
    using Factory = std::function<std::unique_ptr<SoundPlayer>(const QString &path)>;

    // With the default factory the sounds are played through QSoundEffect.
    SoundBank();
    explicit SoundBank(Factory factory);
    ~SoundBank();
    SoundBank(const SoundBank &) = delete;
    SoundBank &operator=(const SoundBank &) = delete;

    // Stops the sound and plays it from the beginning, so a sound that is still playing
    // starts over instead of overlapping or being dropped.
    void play(Sound sound);

    // The resource that holds the sound.
    static QString path(Sound sound);
    // The volume the sound is played at.
    static qreal volume(Sound sound);

private:
    struct Slot
    {
        bool tried = false;
        std::unique_ptr<SoundPlayer> player;
    };

    Factory m_factory;
    std::array<Slot, 3> m_slots;
};
