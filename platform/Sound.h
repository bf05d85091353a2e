#pragma once

#include <QString>

namespace platform {

// Asynchronous play of a WAV file (16-bit PCM). Returns at once; a missing
// file, an unplayable file or no audio device give silence.
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
