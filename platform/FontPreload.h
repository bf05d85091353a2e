#pragma once

namespace platform {

// Reads the system's fonts on a thread of its own while the program starts,
// so that the first window's texts do not wait for it: fontconfig's
// configuration while the application object is made, then Qt's font
// database while the first window is built. Every window has text, and this
// set-up is the largest single cost before its first paint.
//
// In main: start() first, applicationReady() once the QApplication exists,
// finish() before it goes.
class FontPreload
{
public:
    static void start();
    static void applicationReady();
    // Waits for the thread (Qt's font database must not be filled while the
    // application object goes away).
    static void finish();
};

} // namespace platform
