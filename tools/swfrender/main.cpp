// swfrender: draws a movie's stage after some frames into a PNG, writes
// the sound of its first frames to a WAV file, writes what its scripts
// trace, or prints what its header and tags hold. Used by the corpus
// checks and by people looking at content.
#include "PictureLimit.h"
#include "Player.h"
#include "decode/TagNames.h"
#include "sound/SoundMixer.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "swfrender: %s\n", qPrintable(message));
    return 1;
}

int usage()
{
    return fail(QStringLiteral(
        "usage: swfrender INPUT.swf OUTPUT.png [--frames N] [--size WxH] [--click X,Y@FRAME]...\n"
        "       swfrender --audio OUTPUT.wav INPUT.swf [--frames N]\n"
        "       swfrender --trace OUTPUT.txt INPUT.swf [--frames N]\n"
        "       swfrender --info INPUT.swf"));
}

QString problemText(const swf::MovieInfo::SoundProblem &p)
{
    using Kind = swf::MovieInfo::SoundProblem::Kind;
    const QString what = p.soundId ? QStringLiteral("sound %1").arg(p.soundId) : QStringLiteral("stream");
    switch (p.kind) {
    case Kind::Nellymoser: return what + QStringLiteral(": Nellymoser, skipped");
    case Kind::Unsupported: return what + QStringLiteral(": format not played, skipped");
    case Kind::BadAdpcm: return what + QStringLiteral(": bad ADPCM data, skipped");
    case Kind::BadMp3: return what + QStringLiteral(": MP3 that does not decode, skipped");
    }
    return what;
}

QByteArray wavHeader(quint32 frames)
{
    QByteArray h;
    auto put = [&h](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            h.append(char((v >> (8 * i)) & 0xff));
    };
    const quint32 data = frames * 4;
    h.append("RIFF");
    put(36 + data, 4);
    h.append("WAVEfmt ");
    put(16, 4);
    put(1, 2);                                   // PCM
    put(2, 2);                                   // stereo
    put(swf::SoundMixer::Rate, 4);
    put(swf::SoundMixer::Rate * 4, 4);           // bytes per second
    put(4, 2);                                   // bytes per frame
    put(16, 2);
    h.append("data");
    put(data, 4);
    return h;
}

// The sound of the first `frames` frames, as long as they last at the
// movie's rate; whatever still sounds at the end is cut there.
int writeAudio(const QString &input, const QString &output, int frames)
{
    QString error;
    auto player = swf::Player::load(input, &error);
    if (!player)
        return fail(error);
    const std::vector<std::int16_t> samples = player->recordSound(frames);
    const auto done = quint32(samples.size() / 2);
    QFile file(output);
    QByteArray bytes = wavHeader(quint32(done));
    for (std::int16_t v : samples)
        bytes.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return fail(QStringLiteral("cannot write %1").arg(output));
    return 0;
}

int printInfo(const QString &path)
{
    QString error;
    auto player = swf::Player::load(path, &error);
    if (!player)
        return fail(error);
    const swf::MovieInfo &info = player->info();
    QTextStream out(stdout);
    const char *compression = info.compression == 'C' ? "zlib (CWS)"
                              : info.compression == 'Z' ? "LZMA (ZWS)" : "none (FWS)";
    out << "version: " << info.version << '\n'
        << "compression: " << compression << '\n'
        << "stage: " << info.stage.width() / 20 << " x " << info.stage.height() / 20 << " px"
        << " (twips " << info.stage.x() << ' ' << info.stage.y() << ' '
        << info.stage.width() << ' ' << info.stage.height() << ")\n"
        << "rate: " << info.frameRate << " fps\n"
        << "frames: " << info.frameCount << '\n'
        << "background: " << info.background.name() << '\n'
        << "tags:\n";
    for (auto it = info.tagCounts.cbegin(); it != info.tagCounts.cend(); ++it) {
        out << "  " << swf::tagName(it.key()) << ' ' << it.value();
        if (const int skipped = info.skippedTags.value(it.key()))
            out << " (" << skipped << " skipped)";
        out << '\n';
    }
    if (!info.soundProblems.isEmpty()) {
        out << "sounds:\n";
        for (const auto &p : info.soundProblems)
            out << "  " << problemText(p) << '\n';
    }
    return 0;
}

// A press and release of the mouse at a stage pixel, before a frame runs.
struct Click
{
    QPointF point;
    int frame = 0;
};

// "X,Y@FRAME"; FRAME is 1 or more, X and Y may have fractions.
bool parseClick(const QString &text, Click *click)
{
    const QStringList at = text.split(u'@');
    if (at.size() != 2)
        return false;
    const QStringList xy = at.at(0).split(u',');
    bool okX = false, okY = false, okFrame = false;
    if (xy.size() == 2)
        click->point = QPointF(xy.at(0).toDouble(&okX), xy.at(1).toDouble(&okY));
    click->frame = at.at(1).toInt(&okFrame);
    return okX && okY && okFrame && click->frame >= 1;
}

// Runs `frames` frames (the first counts as one) and writes every trace,
// one line each. A "\r" inside a traced text (the line end of the Macs
// the movies were made on) becomes a new line, so the file reads as the
// trace window showed it. Stops early when a script asks the player to quit.
int writeTrace(const QString &output, const QString &input, int frames)
{
    QString text;
    QString error;
    auto player = swf::Player::load(input, &error, [&text](const QString &line) {
        QString lines = line;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        text += lines + u'\n';
    });
    if (!player)
        return fail(error);
    // A quit asked for in the first frame is heard only after the second,
    // as the reference traces show.
    for (int i = 1; i < frames && (!player->quitRequested() || i == 1); ++i)
        player->advance();
    QFile out(output);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0)
        return fail(QStringLiteral("cannot write %1").arg(output));
    if (!player->scriptsStopped().isEmpty())
        std::fprintf(stderr, "swfrender: scripts stopped: %s\n", qPrintable(player->scriptsStopped()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Qt's own start-up chatter (runtime folder, fonts) would break the
    // promise of one line on stderr.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "swfrender: %s\n", qPrintable(text));
    });
    // Offscreen: the tool draws into images and must run without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.first() == u"--info")
        return printInfo(args.at(1));

    QStringList files;
    QString audio;
    QString traceOutput;
    int frames = 1;
    QSize size;
    std::vector<Click> clicks;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == u"--frames" && i + 1 < args.size()) {
            bool ok = false;
            frames = args.at(++i).toInt(&ok);
            if (!ok || frames < 1)
                return fail(QStringLiteral("--frames needs a number of at least 1"));
        } else if (a == u"--size" && i + 1 < args.size()) {
            const QStringList wh = args.at(++i).split(u'x');
            bool okW = false, okH = false;
            if (wh.size() == 2)
                size = QSize(wh.at(0).toInt(&okW), wh.at(1).toInt(&okH));
            if (!okW || !okH || size.width() < 1 || size.height() < 1)
                return fail(QStringLiteral("--size needs WxH, for example 640x480"));
        } else if (a == u"--click" && i + 1 < args.size()) {
            Click click;
            if (!parseClick(args.at(++i), &click))
                return fail(QStringLiteral("--click needs X,Y@FRAME, for example 120,80@5"));
            clicks.push_back(click);
        } else if (a == u"--audio" && i + 1 < args.size()) {
            audio = args.at(++i);
        } else if (a == u"--trace" && i + 1 < args.size()) {
            traceOutput = args.at(++i);
        } else if (a.startsWith(u"--")) {
            return usage();
        } else {
            files.append(a);
        }
    }
    if (!audio.isEmpty()) {
        if (files.size() != 1 || size.isValid() || !clicks.empty())
            return usage();
        return writeAudio(files.at(0), audio, frames);
    }
    if (!traceOutput.isEmpty())
        return files.size() == 1 ? writeTrace(traceOutput, files.at(0), frames) : usage();
    if (files.size() != 2)
        return usage();
    for (const Click &click : clicks)
        if (click.frame > frames)
            return fail(QStringLiteral("--click at frame %1 comes after the last frame drawn (%2)")
                            .arg(click.frame).arg(frames));

    QString error;
    auto player = swf::Player::load(files.at(0), &error);
    if (!player)
        return fail(error);
    const QRectF stage = player->info().stage;
    const double width = size.isEmpty() ? std::max(1.0, std::round(stage.width() / 20)) : size.width();
    const double height = size.isEmpty() ? std::max(1.0, std::round(stage.height() / 20)) : size.height();
    if (!(width <= swf::MaxPictureSide && height <= swf::MaxPictureSide)
        || !swf::pictureFits(qint64(width), qint64(height)))
        return fail(QStringLiteral("a picture of %1 x %2 pixels is beyond the limit of %3 a side and %4 MiB;"
                                   " choose a smaller --size")
                        .arg(width, 0, 'f', 0).arg(height, 0, 'f', 0).arg(swf::MaxPictureSide)
                        .arg(swf::MaxPictureBytes >> 20));
    // Frame 1 runs as the movie loads: its clicks come right after. In the
    // order given, each a press and release where the pointer then stays.
    auto clickBefore = [&](int frame) {
        for (const Click &click : clicks) {
            if (click.frame == frame) {
                player->mousePress(click.point);
                player->mouseRelease(click.point);
            }
        }
    };
    clickBefore(1);
    for (int frame = 2; frame <= frames; ++frame) {
        clickBefore(frame);
        player->advance();
    }
    const QImage image = player->renderImage(size);
    if (image.isNull())
        return fail(QStringLiteral("out of memory for a picture of %1 x %2 pixels").arg(width).arg(height));
    if (!image.save(files.at(1), "PNG"))
        return fail(QStringLiteral("cannot write %1").arg(files.at(1)));
    return 0;
}
