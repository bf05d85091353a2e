#pragma once

#include <QString>

class QWidget;

namespace platform {

// Asynchronous play of a WAV file (16-bit PCM). Returns at once, true when
// the play was started; a missing file, a file that is not PCM WAV or no
// audio device give silence and false. A sound asked for again while it
// still plays starts over. Every flag means asynchronous: the program never
// waits for a sound.
//
// The audio stack is a module beside the program, loaded by the first play
// of a playable file, or earlier in the background by preload(); without
// the module every play is silent.
class Sound
{
public:
    static constexpr int Async = 1;
    static bool sndPlaySound(const QString &path, int flags = Async);

    // Starts loading the audio stack on a worker thread and returns at once,
    // so that the first sound does not wait for it; calling it again does
    // nothing. With a window, the load starts only once that window has been
    // painted, so that it never competes with the program's first picture.
    static void preload(QWidget *afterFirstPaintOf = nullptr);

    // Tests only: how many plays were asked for, and the last path.
    static int requestCount();
    static QString lastRequest();
};

} // namespace platform
