#pragma once

class QWidget;

namespace platform {

// The title the system shows for a window. Qt hands the system the
// application's name for a window whose title is empty; on X11 the window
// gets its empty title back here (on Wayland the title bar, when there is
// one, is drawn by Qt from the window's own empty title).
class NativeTitle
{
public:
    // Call once the native window exists and after every change of title.
    static void keepAsSet(QWidget *window);
};

} // namespace platform
