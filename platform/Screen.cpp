#include "Screen.h"

#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

namespace {
double s_width = 0;
double s_height = 0;

QSize screenPixels()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            return screen->geometry().size();
    }
    return {};
}
} // namespace

double Screen::Width()
{
    if (s_width > 0)
        return s_width;
    return Twips::fromPixelsX(screenPixels().width());
}

double Screen::Height()
{
    if (s_height > 0)
        return s_height;
    return Twips::fromPixelsY(screenPixels().height());
}

void Screen::overrideSize(double widthTwips, double heightTwips)
{
    s_width = widthTwips > 0 ? widthTwips : 0;
    s_height = heightTwips > 0 ? heightTwips : 0;
}

} // namespace platform
