// Start-up of the game against a bare Qt Widgets window, measured from
// outside in one run: from the moment the process is started to the moment
// the screen shows the start window's colour at a point that no control
// covers, and the resident memory once the program has settled.
//
// Usage: startup_probe [game [baseline [rounds]]]; defaults are ambrelia and
// bare_window beside the probe, 9 rounds. Without a display it runs itself
// under xvfb-run.
#include "BenchReport.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

// The colours of the start window's palette, and the baseline's (the first).
const QRgb Palette[] = {
    0xFFC0C0, 0xFF8080, 0xFF8000, 0xFFC080, 0xFFFFC0, 0xFFFF00, 0xC04000, 0x80FF80,
    0x00C000, 0xC0FFFF, 0x00FFFF, 0xC0C0FF, 0xFFC0FF, 0xE0E0E0, 0xFF00FF,
};

bool isPalette(QRgb rgb)
{
    return std::find(std::begin(Palette), std::end(Palette), rgb & 0xFFFFFF) != std::end(Palette);
}

QRgb screenPixel(QScreen *screen, const QPoint &at)
{
    const QImage image = screen->grabWindow(0, at.x(), at.y(), 1, 1).toImage();
    return image.isNull() ? 0 : image.pixel(0, 0) & 0xFFFFFF;
}

long residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Distinct shared objects mapped by the process: a library that creeps into
// start-up (an audio stack, say) shows here before it shows in the timings.
long sharedObjects(qint64 pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    QSet<QByteArray> files;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        if (slash >= 0 && line.indexOf(".so", slash) >= 0)
            files.insert(line.mid(slash));
    }
    return files.size();
}

struct Sample
{
    double millis = -1;
    long kib = -1;
    long libraries = -1;
};

Sample measure(QScreen *screen, const QPoint &at, const QString &program,
               const QStringList &arguments = {})
{
    Sample sample;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    QElapsedTimer timer;
    timer.start();
    process.start();
    if (!process.waitForStarted(10000))
        return sample;
    while (timer.elapsed() < 30000) {
        if (isPalette(screenPixel(screen, at))) {
            sample.millis = timer.nsecsElapsed() / 1e6;
            break;
        }
        if (process.state() != QProcess::Running)
            break;
        QThread::usleep(1000);
    }
    // Settled: whatever start-up still finishes after the first paint.
    QThread::msleep(1500);
    sample.kib = residentKiB(process.processId());
    sample.libraries = sharedObjects(process.processId());

    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    // The next round starts from an empty screen.
    QElapsedTimer gone;
    gone.start();
    while (isPalette(screenPixel(screen, at)) && gone.elapsed() < 5000)
        QThread::msleep(10);
    return sample;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::vector<char *> args{const_cast<char *>("xvfb-run"), const_cast<char *>("-a"),
                                 const_cast<char *>("-s"),
                                 const_cast<char *>("-screen 0 1280x1024x24")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp("xvfb-run", args.data());
        std::perror("xvfb-run");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);

    const QString here = QCoreApplication::applicationDirPath();
    const QStringList args = app.arguments();
    const QString game = args.value(1, here + QStringLiteral("/ambrelia"));
    const QString bare = args.value(2, here + QStringLiteral("/bare_window"));
    const int rounds = std::max(1, args.value(3, QStringLiteral("9")).toInt());

    // A lock folder of our own: no other copy of the game refuses ours.
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

    QScreen *screen = QGuiApplication::primaryScreen();
    // Right of the start button and below the title, at three quarters of
    // the screen as well as at full screen: only the background shows there.
    const QRect area = screen->geometry();
    const QPoint at(area.width() * 85 / 100, area.height() * 80 / 100);

    std::vector<double> gameMillis, bareMillis, textMillis, gameKib, bareKib, textKib, gameLibs, bareLibs;
    for (int round = 0; round < rounds; ++round) {
        // Interleaved, so that a busy moment of the machine falls on all.
        const Sample b = measure(screen, at, bare);
        const Sample g = measure(screen, at, game);
        const Sample t = measure(screen, at, bare, {QStringLiteral("--text")});
        if (b.millis < 0 || g.millis < 0 || t.millis < 0) {
            std::fprintf(stderr, "round %d: a program showed no window (%s %.0f, %s %.0f, text %.0f)\n",
                         round, qPrintable(bare), b.millis, qPrintable(game), g.millis, t.millis);
            return 1;
        }
        bareMillis.push_back(b.millis);
        gameMillis.push_back(g.millis);
        textMillis.push_back(t.millis);
        bareKib.push_back(b.kib);
        gameKib.push_back(g.kib);
        textKib.push_back(t.kib);
        gameLibs.push_back(g.libraries);
        bareLibs.push_back(b.libraries);
        std::printf("round %d: bare %.1f ms %ld KiB, game %.1f ms %ld KiB, bare with text %.1f ms %ld KiB\n",
                    round, b.millis, b.kib, g.millis, g.kib, t.millis, t.kib);
    }

    const double gm = median(gameMillis), bm = median(bareMillis);
    const double gk = median(gameKib), bk = median(bareKib);
    std::printf("start to first paint, median of %d: game %.1f ms, bare window %.1f ms\n", rounds, gm, bm);
    std::printf("start-up ratio game / bare: %.2f (goal <= 1.25)\n", gm / bm);
    std::printf("resident memory after start-up, median: game %.0f KiB, bare window %.0f KiB\n", gk, bk);
    std::printf("memory ratio game / bare: %.2f\n", gk / bk);
    reportRatio("start-up to first paint, game / bare Qt window", gm / bm, "<= 1.25");
    reportRatio("resident memory after start-up, game / bare Qt window", gk / bk);
    std::printf("shared libraries mapped after start-up, median: game %.0f, bare window %.0f\n",
                median(gameLibs), median(bareLibs));
    const double tm = median(textMillis), tk = median(textKib);
    std::printf("for comparison, a bare window with one line of text: %.1f ms, %.0f KiB; "
                "game / that: %.2f in time, %.2f in memory\n", tm, tk, gm / tm, gk / tk);
    return 0;
}
