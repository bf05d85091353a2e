// Cost of blitting a cached picture under a colour transform, full HD, as
// ratios measured in one run: tinting into a scratch image and drawing it
// with QPainter, against tinting and compositing in one pass.
//
//   bench_tint [ROUNDS]
#include "render/TintBlend.h"

#include "BenchReport.h"
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRadialGradient>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

const QSize FullHd(1920, 1080);

// A sky: opaque everywhere, shaded from top to bottom.
QImage sky()
{
    QImage image(FullHd, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient shade(0, 0, 0, FullHd.height());
    shade.setColorAt(0, QColor(40, 90, 200));
    shade.setColorAt(1, QColor(200, 220, 250));
    p.fillRect(image.rect(), shade);
    return image;
}

// A large round figure: transparent around it, partly covered at its
// anti-aliased edge and where its shading fades out.
QImage figure()
{
    QImage image(FullHd, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shade(960, 540, 500);
    shade.setColorAt(0, QColor(250, 180, 60));
    shade.setColorAt(0.8, QColor(200, 60, 30));
    shade.setColorAt(1, QColor(200, 60, 30, 0));
    p.setBrush(shade);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(960, 540), 500, 480);
    return image;
}

double cpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Milliseconds per blit of `picture` onto `target` at `opacity`, the two
// ways, in wall time and in processor time (all threads: Qt may spread a
// large drawImage() over a pool); the target is redrawn before each, as
// each frame draws it.
struct Times
{
    double twoStep = 0, onePass = 0;
    double twoStepCpu = 0, onePassCpu = 0;
};

Times measure(const QImage &picture, QImage &target, const swf::TintBlend &tint, double opacity, int rounds)
{
    QImage scratch;
    QElapsedTimer clock;
    Times t;
    for (int round = 0; round < rounds; ++round) {
        target.fill(QColor(30, 120, 60));
        {
            QPainter p(&target);
            p.setOpacity(opacity);
            const double cpu = cpuMs();
            clock.start();
            tint.apply(picture, scratch);
            p.drawImage(QPoint(0, 0), scratch);
            t.twoStep += clock.nsecsElapsed() / 1e6;
            t.twoStepCpu += cpuMs() - cpu;
        }
        target.fill(QColor(30, 120, 60));
        {
            QPainter p(&target);
            p.setOpacity(opacity);
            const double cpu = cpuMs();
            clock.start();
            if (!tint.blit(p, QPoint(0, 0), picture))
                std::printf("  the one-pass blit declined\n");
            t.onePass += clock.nsecsElapsed() / 1e6;
            t.onePassCpu += cpuMs() - cpu;
        }
    }
    t.twoStep /= rounds;
    t.onePass /= rounds;
    t.twoStepCpu /= rounds;
    t.onePassCpu /= rounds;
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;

    // A dusk over the day's colours, and the same with light added.
    swf::ColorTransform dusk;
    dusk.rMult = 150;
    dusk.gMult = 120;
    dusk.bMult = 200;
    swf::ColorTransform glow = dusk;
    glow.rAdd = 40;
    glow.gAdd = 20;

    QImage target(FullHd, QImage::Format_ARGB32_Premultiplied);
    struct Case
    {
        const char *name;
        QImage picture;
        swf::ColorTransform cx;
        double opacity;
    };
    const QImage skyPicture = sky(), figurePicture = figure();
    const Case cases[] = {
        {"sky, darkened", skyPicture, dusk, 1.0},
        {"sky, darkened and lit", skyPicture, glow, 1.0},
        {"sky, fading", skyPicture, glow, 0.5},
        {"figure, darkened", figurePicture, dusk, 1.0},
        {"figure, fading", figurePicture, glow, 0.5},
    };
    std::printf("tinted blit of a 1920x1080 picture, ms per blit (mean of %d), two steps / one pass;\n"
                "wall time (processor time in brackets):\n", rounds);
    double leastGain = 1e9;
    for (const Case &c : cases) {
        const swf::TintBlend tint(c.cx);
        const Times t = measure(c.picture, target, tint, c.opacity, rounds);
        std::printf("  %-24s %7.3f (%7.3f) %7.3f (%7.3f)   x %.2f (x %.2f)\n", c.name, t.twoStep, t.twoStepCpu,
                    t.onePass, t.onePassCpu, t.twoStep / t.onePass, t.twoStepCpu / t.onePassCpu);
        leastGain = std::min(leastGain, t.twoStep / t.onePass);
    }
    reportRatio("tinted blit, into a picture then drawn / one pass, least over the cases", leastGain);
    return 0;
}
