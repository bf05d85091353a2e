#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

namespace {
double s_overrideDpi = 0;

// Without a screen (a tool running on QCoreApplication) the conversion
// falls back to the common 96 DPI.
constexpr double FallbackDpi = 96.0;

double dpi(bool horizontal)
{
    if (s_overrideDpi > 0)
        return s_overrideDpi;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const double value = horizontal ? screen->logicalDotsPerInchX()
                                            : screen->logicalDotsPerInchY();
            if (value > 0)
                return value;
        }
    }
    return FallbackDpi;
}
} // namespace

double Twips::perPixelX() { return 1440.0 / dpi(true); }
double Twips::perPixelY() { return 1440.0 / dpi(false); }

void Twips::overrideDpi(double dpi) { s_overrideDpi = dpi > 0 ? dpi : 0; }

} // namespace platform
