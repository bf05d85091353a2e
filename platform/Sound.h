#pragma once

#include <QString>

namespace platform {

// Asynchronous play of a WAV file (16-bit PCM). Returns at once, true when
// the play was started; a missing file, a file that is not PCM WAV or no
// audio device give silence and false. A sound asked for again while it
// still plays starts over. Every flag means asynchronous: the program never
// waits for a sound.
class Sound
{
public:
    static constexpr int Async = 1;
    static bool sndPlaySound(const QString &path, int flags = Async);

    // Tests only: how many plays were asked for, and the last path.
    static int requestCount();
    static QString lastRequest();
};

} // namespace platform
