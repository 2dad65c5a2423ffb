#pragma once

class SoundBank;

// The one place that plays the application's feedback sounds. Call on the main thread;
// nothing is returned or reported, and without audio nothing is heard.
namespace Sounds {

// A todo was completed.
void playDone();
// Something was deleted or cleared.
void playPop();
// A focus session came to its end; played at half volume.
void playFocusComplete();

// Sends the three calls to `bank` instead of the built-in sounds, so that a test can see
// which sound was played; nullptr goes back to the built-in sounds. Not owned.
void useBank(SoundBank *bank);

} // namespace Sounds
