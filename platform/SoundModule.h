#pragma once

// What the sound module (libambrelia_sound.so, beside the program) and
// Sound.cpp agree on. The module alone links Qt Multimedia, whose audio
// stack (PulseAudio, codecs, network) would otherwise be loaded and
// relocated at every start, long before the first sound is asked for.

#include <QString>

#include <cstdint>

namespace platform::soundmodule {

inline constexpr char FileName[] = "libambrelia_sound.so";

// Plays a PCM WAV file without waiting for it; false when there is no
// audio device or the file cannot be played. Main thread only.
inline constexpr char PlayEntry[] = "ambrelia_sound_play";
using PlayFunction = bool (*)(const QString &path);

// The movie's sound: an output on a thread of its own that pulls 44.1 kHz
// stereo 16-bit frames from `pull`, called on that thread. Opening returns
// at once; the device is looked for on the output's thread, and without
// one (or once it has gone) the output is silent and not running. Paused,
// nothing is pulled. Main thread only, except `pull`.
using PullFunction = void (*)(void *context, std::int16_t *stereo, int frames);
inline constexpr char OpenEntry[] = "ambrelia_movie_audio_open";
using OpenFunction = void *(*)(PullFunction pull, void *context);
inline constexpr char PauseEntry[] = "ambrelia_movie_audio_pause";
using PauseFunction = void (*)(void *output, bool paused);
inline constexpr char RunningEntry[] = "ambrelia_movie_audio_running";
using RunningFunction = bool (*)(void *output);

// What Sound.cpp resolves in the module.
struct Entries
{
    PlayFunction play = nullptr;
    OpenFunction open = nullptr;
    PauseFunction pause = nullptr;
    RunningFunction running = nullptr;
};

// The module once it has loaded, or null: while it still loads (the load
// starts on a worker thread at the first call) or when it cannot be had.
// Never waits.
const Entries *loadedModule();

} // namespace platform::soundmodule
