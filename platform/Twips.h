#pragma once

class QScreen;

namespace platform {

// Positions and sizes are in twips: 1440 per logical inch. The conversion
// goes through the screen's logical DPI (96 DPI gives 15 twips a pixel).
class Twips
{
public:
    static double perPixelX();
    static double perPixelY();

    static double fromPixelsX(double pixels) { return pixels * perPixelX(); }
    static double fromPixelsY(double pixels) { return pixels * perPixelY(); }
    static double toPixelsX(double twips) { return twips / perPixelX(); }
    static double toPixelsY(double twips) { return twips / perPixelY(); }

    // Tests may pin the ratio; 0 returns to the primary screen's DPI.
    static void overrideDpi(double dpi);
};

} // namespace platform
