#pragma once

namespace platform {

// The screen the program's windows live on, in twips.
class Screen
{
public:
    static double Width();
    static double Height();

    // Tests may pretend another screen size (in twips); 0, 0 returns to the real one.
    static void overrideSize(double widthTwips, double heightTwips);
};

} // namespace platform
