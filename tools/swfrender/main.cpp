// swfrender: draws a movie's stage after some frames into a PNG, or prints
// what its header and tags hold. Used by the corpus checks and by people
// looking at content.
#include "Player.h"
#include "decode/TagNames.h"

#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "swfrender: %s\n", qPrintable(message));
    return 1;
}

int usage()
{
    return fail(QStringLiteral(
        "usage: swfrender INPUT.swf OUTPUT.png [--frames N] [--size WxH] | swfrender --info INPUT.swf"));
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
    int frames = 1;
    QSize size;
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
            if (!okW || !okH || size.width() < 1 || size.height() < 1 || size.width() > 16384
                || size.height() > 16384)
                return fail(QStringLiteral("--size needs WxH, for example 640x480"));
        } else if (a.startsWith(u"--")) {
            return usage();
        } else {
            files.append(a);
        }
    }
    if (files.size() != 2)
        return usage();

    QString error;
    auto player = swf::Player::load(files.at(0), &error);
    if (!player)
        return fail(error);
    for (int i = 1; i < frames; ++i)
        player->advance();
    const QImage image = player->renderImage(size);
    if (!image.save(files.at(1), "PNG"))
        return fail(QStringLiteral("cannot write %1").arg(files.at(1)));
    return 0;
}
