#pragma once

// What the sound module (libambrelia_sound.so, beside the program) and
// Sound.cpp agree on. The module alone links Qt Multimedia, whose audio
// stack (PulseAudio, codecs, network) would otherwise be loaded and
// relocated at every start, long before the first sound is asked for.

#include <QString>

namespace platform::soundmodule {

inline constexpr char FileName[] = "libambrelia_sound.so";

// Plays a PCM WAV file without waiting for it; false when there is no
// audio device or the file cannot be played. Main thread only.
inline constexpr char PlayEntry[] = "ambrelia_sound_play";
using PlayFunction = bool (*)(const QString &path);

} // namespace platform::soundmodule
