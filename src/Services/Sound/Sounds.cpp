#include "Services/Sound/Sounds.h"

#include "Services/Sound/SoundBank.h"

namespace {

SoundBank *g_redirect = nullptr;

SoundBank &bank()
{
    if (g_redirect)
        return *g_redirect;
    static SoundBank builtIn;
    return builtIn;
}

} // namespace

namespace Sounds {

void playDone()
{
    bank().play(SoundBank::Sound::Done);
}

void playPop()
{
    bank().play(SoundBank::Sound::Pop);
}

void playFocusComplete()
{
    bank().play(SoundBank::Sound::FocusComplete);
}

void useBank(SoundBank *bank)
{
    g_redirect = bank;
}

} // namespace Sounds
