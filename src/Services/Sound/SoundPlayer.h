#pragma once

#include <QtGlobal>

// One loaded sound that can be played, stopped and played again.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;

    // 0.0 (silent) to 1.0 (as recorded).
    virtual void setVolume(qreal volume) = 0;
    virtual void stop() = 0;
    // Plays from the beginning when stopped; playback itself is asynchronous.
    virtual void play() = 0;
};
