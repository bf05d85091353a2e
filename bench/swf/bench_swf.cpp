// Drawing cost of the movie engine, as ratios measured in one run:
//  - for each story movie (content/gif/*.swf), the mean time per frame of
//    one whole loop from a fresh load, drawn ShowAll into 1920 x 1080,
//    against a plain QPainter fill of an image of that size measured just
//    before: once drawing all of every frame, once as the movie control
//    plays it (only what changed since the last frame is drawn again, into
//    the picture kept from it), for the first loop and for the two after;
//    then the same at a device pixel ratio of 2, where the control draws on
//    an image of 3840 x 2160 device pixels and the fill is taken there;
//  - the same for each corpus movie, ten frames drawn;
//  - the processor share of playing each story movie at its own rate,
//    full HD, for a few seconds, as the movie control does (process CPU
//    time / wall time).
//
//   bench_swf [CORPUS_DIR] [STORY_DIR]
#include "Player.h"

#include "BenchReport.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

const QSize FullHd(1920, 1080);

double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Milliseconds of wall time and of processor time (all threads: Qt
// spreads large fills over a pool), per repetition. On a busy machine the
// wall time also counts waiting for a processor; the processor time does
// not.
struct Cost
{
    double wall = 0, cpu = 0;
};

class Meter
{
public:
    Meter() : m_cpu(cpuSeconds()) { m_wall.start(); }
    Cost per(int reps) const
    {
        return {m_wall.nsecsElapsed() / 1e6 / reps, (cpuSeconds() - m_cpu) * 1e3 / reps};
    }

private:
    QElapsedTimer m_wall;
    double m_cpu;
};

Cost fillCost(QImage &image)
{
    const int reps = 200;
    Meter meter;
    for (int i = 0; i < reps; ++i) {
        QPainter p(&image);
        p.fillRect(image.rect(), QColor(i % 256, 128, 64));
    }
    return meter.per(reps);
}

double fillMs(QImage &image)
{
    return fillCost(image).wall;
}

// Mean ms per frame over `frames` frames (advance, then draw). With
// `changesOnly`, as the movie control does: only what changed is drawn,
// into the picture of the frame before.
Cost frameCost(swf::Player &player, QImage &image, int frames, bool changesOnly = false)
{
    Meter meter;
    auto draw = [&] {
        if (changesOnly) {
            player.renderChanges(image);
        } else {
            QPainter p(&image);
            player.render(p, image.rect());
        }
    };
    draw();
    for (int i = 0; i < frames; ++i) {
        player.advance();
        draw();
    }
    return meter.per(frames + 1);
}

double frameMs(swf::Player &player, QImage &image, int frames)
{
    return frameCost(player, image, frames).wall;
}

// Plays at the movie's rate for `seconds`, frames dropped rather than
// queued when late, drawing what changed, as the movie control does.
double playShare(swf::Player &player, QImage &image, double seconds)
{
    const double period = 1000.0 / player.info().frameRate;
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    qint64 frame = 0;
    player.renderChanges(image);
    while (wall.elapsed() < seconds * 1000) {
        const qint64 due = qint64(wall.elapsed() / period);
        if (due > frame) {
            for (; frame < due; ++frame)
                player.advance();
            player.renderChanges(image);
        }
        const double next = (frame + 1) * period - wall.elapsed();
        if (next > 0)
            QThread::usleep((unsigned long)(next * 1000));
    }
    return (cpuSeconds() - cpu0) / (wall.elapsed() / 1000.0);
}

// One loop of each story from a fresh load, drawn ShowAll into `size`
// device pixels, every frame whole and as the movie control draws it,
// against a plain fill of the same image measured just before.
void storyTable(const QString &stories, const QStringList &storyFiles, QSize size, const char *what)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    std::printf("story movies, one loop from a fresh load, %s / plain fill measured just before;\n"
                "wall time (processor time in brackets):\n", what);
    std::printf("  %-14s %15s %15s %19s %15s %19s %15s %19s\n", "", "fill ms", "every frame ms", "ratio",
                "as control ms", "ratio", "2nd+3rd loop", "ratio");
    double worst = 0, worstCpu = 0, worstLater = 0;
    for (const QString &name : storyFiles) {
        auto control = swf::Player::load(stories + u'/' + name);
        if (!control)
            continue;
        const int frames = std::max(control->info().frameCount, 30);
        const Cost fill = fillCost(image);
        Cost all;
        {
            // Gone before the control's turn, as the program holds one
            // movie at a time: its pictures would crowd the shared cache.
            auto every = swf::Player::load(stories + u'/' + name);
            all = frameCost(*every, image, frames);
        }
        const Cost held = frameCost(*control, image, frames, true);
        // The loops after the first, as a child watching it sees them: the
        // shapes of every scene are in the engine's cache by then.
        const Cost later = frameCost(*control, image, 2 * frames, true);
        std::printf("  %-14s %6.3f (%6.3f) %6.3f (%6.3f) x %6.2f (x %6.2f) %6.3f (%6.3f) x %6.2f (x %6.2f)"
                    " %6.3f (%6.3f) x %6.2f (x %6.2f)\n",
                    qPrintable(name), fill.wall, fill.cpu, all.wall, all.cpu, all.wall / fill.wall,
                    all.cpu / fill.cpu, held.wall, held.cpu, held.wall / fill.wall, held.cpu / fill.cpu,
                    later.wall, later.cpu, later.wall / fill.wall, later.cpu / fill.cpu);
        worst = std::max(worst, held.wall / fill.wall);
        worstCpu = std::max(worstCpu, held.cpu / fill.cpu);
        worstLater = std::max(worstLater, later.wall / fill.wall);
    }
    if (!storyFiles.isEmpty()) {
        std::printf("slowest story as the control plays it, first loop: x %.2f (x %.2f in processor time);"
                    " goal: at most x 5\n", worst, worstCpu);
        std::printf("slowest story as the control plays it, later loops: x %.2f\n\n", worstLater);
        const QByteArray first = QByteArray("story frame at ") + what
            + ", drawn as the control draws it, slowest story / plain fill";
        const QByteArray later = QByteArray("the same at ") + what + ", in the loops after the first";
        reportRatio(first.constData(), worst, "<= 5");
        reportRatio(later.constData(), worstLater);
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QGuiApplication app(argc, argv);
    const QString corpus = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SWF_CORPUS_DIR);
    const QString stories = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(STORY_DIR);

    QImage image(FullHd, QImage::Format_ARGB32_Premultiplied);
    const QStringList storyFiles = QDir(stories).entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name);
    storyTable(stories, storyFiles, FullHd, "1920x1080");
    // A full-HD screen at a device pixel ratio of 2: the control draws on
    // an image of the device's pixels, and the fill is taken there too.
    storyTable(stories, storyFiles, FullHd * 2, "1920x1080 at ratio 2 (3840x2160 device pixels)");

    struct Row { QString name; double ms; };
    std::vector<Row> rows;
    const double fill = fillMs(image);
    std::printf("\nplain fill of 1920x1080: %.3f ms\n", fill);
    QDir ref(corpus + QStringLiteral("/flash-reference"));
    for (const QString &name : ref.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name)) {
        auto player = swf::Player::load(ref.filePath(name));
        if (player)
            rows.push_back({name, frameMs(*player, image, 10)});
    }
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.ms > b.ms; });
    double sum = 0;
    std::printf("corpus movies, 10 frames each drawn at 1920x1080 / plain fill, slowest first:\n");
    for (const Row &r : rows) {
        std::printf("  %-50s %8.3f ms  x %.2f\n", qPrintable(r.name), r.ms, r.ms / fill);
        sum += r.ms;
    }
    if (!rows.empty()) {
        std::printf("mean over %zu movies: x %.2f\n", rows.size(), sum / rows.size() / fill);
        reportRatio("corpus frame drawn whole, mean / plain fill", sum / rows.size() / fill);
    }

    // Decoding happens while an exercise is dealt: it must stay well under
    // a frame's time. Relative to the plain fill, like the rest.
    std::printf("\ndecoding (load from memory) / plain fill:\n");
    for (const QString &name : storyFiles) {
        QFile file(stories + u'/' + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        QElapsedTimer t;
        const int reps = 20;
        t.start();
        for (int i = 0; i < reps; ++i)
            swf::Player::fromBytes(bytes);
        const double ms = t.nsecsElapsed() / 1e6 / reps;
        std::printf("  %-50s %8.3f ms  x %.2f\n", qPrintable(name), ms, ms / fill);
    }

    std::printf("\nprocessor share while playing at the movie's rate, 1920x1080, as the control does:\n");
    if (storyFiles.isEmpty())
        std::printf("  no story movies in %s\n", qPrintable(stories));
    double busiest = 0;
    for (const QString &name : storyFiles) {
        auto player = swf::Player::load(stories + u'/' + name);
        if (!player)
            continue;
        const double share = playShare(*player, image, 4);
        busiest = std::max(busiest, share);
        std::printf("  %-50s %5.1f%% of one core\n", qPrintable(name), 100 * share);
    }
    if (!storyFiles.isEmpty())
        reportRatio("processor while a story plays, busiest / one core", busiest);
    return 0;
}
