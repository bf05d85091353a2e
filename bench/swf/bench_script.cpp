// Cost of the movies' scripts, as ratios measured in one run:
//  - the interpreter's speed on a loop-heavy movie (a loop of arithmetic,
//    variables, a property, a method call): actions per second, and how
//    many times slower that is than the same loop written in C++;
//  - for each story movie (content/gif/*.swf), the time of a frame (the
//    frame's advance and the changes drawn, as the movie control does, at
//    1920 x 1080, over the first loop) with a script in every frame of the
//    main timeline and in every sprite's, against the same story without:
//    the goal is under 1.10.
//
//   bench_script [STORY_DIR]
#include "BenchReport.h"
#include "Player.h"
#include "decode/Decompress.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void u16(QByteArray &out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

// A Push of strings (the tag of each value: 0, a string) and numbers
// (7, a 32-bit integer).
QByteArray push(std::initializer_list<QVariant> values)
{
    QByteArray body;
    for (const QVariant &v : values) {
        if (v.typeId() == QMetaType::Int) {
            body.append(char(7));
            const qint32 n = v.toInt();
            for (int b = 0; b < 32; b += 8)
                body.append(char((n >> b) & 0xff));
        } else {
            body.append(char(0));
            body += v.toString().toLatin1() + QByteArray(1, '\0');
        }
    }
    QByteArray out(1, char(0x96));
    u16(out, int(body.size()));
    return out + body;
}

QByteArray op(int code) { return QByteArray(1, char(code)); }

QByteArray branch(int code, int offset)
{
    QByteArray out(1, char(code));
    u16(out, 2);
    u16(out, offset);
    return out;
}

QByteArray tag(int code, const QByteArray &body)
{
    QByteArray out;
    u16(out, (code << 6) | 0x3f);
    const quint32 n = quint32(body.size());
    for (int b = 0; b < 32; b += 8)
        out.append(char((n >> b) & 0xff));
    return out + body;
}

// The loop, `Iterations` times in one frame:
//   i = 0; sum = 0; o = {v: 1};
//   while (i < Iterations) { sum = sum + i * 2 + o.v; o.v = sum % 7; i++ }
// Each round runs ActionsPerRound actions (24 for the body, 7 for the
// test and the jumps), all of them within one frame's budget.
constexpr int Iterations = 90000;
constexpr int ActionsPerRound = 31;

QByteArray loopMovie()
{
    QByteArray body;
    body += push({QStringLiteral("i"), 0}) + op(0x1D);
    body += push({QStringLiteral("sum"), 0}) + op(0x1D);
    body += push({QStringLiteral("o"), QStringLiteral("v"), 1, 1}) + op(0x43) + op(0x1D);
    QByteArray round;
    round += push({QStringLiteral("sum"), QStringLiteral("sum")}) + op(0x1C);            // 2
    round += push({QStringLiteral("i")}) + op(0x1C) + push({2}) + op(0x0C) + op(0x47);   // 5
    round += push({QStringLiteral("o")}) + op(0x1C) + push({QStringLiteral("v")}) + op(0x4E)
        + op(0x47) + op(0x1D);                                                            // 6
    round += push({QStringLiteral("o")}) + op(0x1C) + push({QStringLiteral("v"), QStringLiteral("sum")})
        + op(0x1C) + push({7}) + op(0x3F) + op(0x4F);                                     // 7
    round += push({QStringLiteral("i"), QStringLiteral("i")}) + op(0x1C) + op(0x50) + op(0x1D); // 4
    // while (i < Iterations): the test, the If out and the Jump back.
    QByteArray test = push({QStringLiteral("i")}) + op(0x1C) + push({Iterations}) + op(0x48) + op(0x12);
    const QByteArray exitIf = branch(0x9D, int(round.size()) + 5);
    const int back = -(int(test.size() + exitIf.size() + round.size()) + 5);
    body += test + exitIf + round + branch(0x99, back);
    body += push({QStringLiteral("sum")}) + op(0x1C) + op(0x26) + op(0x00);
    QByteArray tags = tag(12, body);
    tags += tag(1, {}) + tag(0, {});
    QByteArray header = QByteArray::fromHex("7800055f00000fa000") + QByteArray::fromHex("000c0100");
    QByteArray file = "FWS";
    file.append(char(7));
    const quint32 size = quint32(8 + header.size() + tags.size());
    for (int b = 0; b < 32; b += 8)
        file.append(char((size >> b) & 0xff));
    return file + header + tags;
}

// The loop in C++, for comparison.
double nativeLoop()
{
    volatile double v = 1;
    double sum = 0;
    for (int i = 0; i < Iterations; ++i) {
        sum = sum + i * 2 + v;
        v = std::fmod(sum, 7);
    }
    return sum;
}

// What a story's frame script does: counts its frames, reads a property,
// calls a method, keeps a small array.
QByteArray frameScript()
{
    QByteArray code;
    code += push({QStringLiteral("n"), QStringLiteral("n")}) + op(0x1C) + op(0x50) + op(0x1D);
    code += push({QStringLiteral("f"), QStringLiteral("_currentframe")}) + op(0x1C) + op(0x1D);
    code += push({QStringLiteral("n"), 1, QStringLiteral("list")}) + op(0x1C)
        + push({QStringLiteral("push")}) + op(0x52) + op(0x17);
    code += push({QStringLiteral("list"), 0}) + op(0x42) + op(0x3C);
    code += push({QStringLiteral("r"), 0, QStringLiteral("Math")}) + op(0x1C)
        + push({QStringLiteral("random")}) + op(0x52) + op(0x1D);
    return tag(12, code + op(0x00));
}

// The story with frameScript() before every ShowFrame, in the main
// timeline and in every sprite, written uncompressed.
QByteArray withScripts(const QByteArray &file)
{
    const char kind = file.at(0);
    QByteArray body;
    const quint32 declared = qFromLittleEndian<quint32>(file.constData() + 4);
    if (kind == 'C')
        body = swf::inflateZlib(file.constData() + 8, std::size_t(file.size()) - 8, declared - 8);
    else if (kind == 'Z')
        body = swf::inflateLzma(file.constData() + 12, std::size_t(file.size()) - 12, declared - 8);
    else
        body = file.mid(8);
    const int rectBits = quint8(body.at(0)) >> 3;
    const int headerBytes = (5 + 4 * rectBits + 7) / 8 + 4;
    std::function<QByteArray(const QByteArray &, int)> rewrite = [&](const QByteArray &tags, int from) {
        QByteArray out;
        int at = from;
        while (at + 2 <= tags.size()) {
            const int header = qFromLittleEndian<quint16>(tags.constData() + at);
            const int code = header >> 6;
            int length = header & 0x3f;
            int start = at + 2;
            if (length == 0x3f) {
                length = int(qFromLittleEndian<quint32>(tags.constData() + start));
                start += 4;
            }
            QByteArray content = tags.mid(start, length);
            at = start + length;
            if (code == 39) // DefineSprite: its id, frame count, then its own tags
                content = content.left(4) + rewrite(content, 4);
            if (code == 1)
                out += frameScript();
            out += tag(code, content);
            if (code == 0)
                break;
        }
        return out;
    };
    QByteArray rebuilt = body.left(headerBytes) + rewrite(body, headerBytes);
    QByteArray result = "FWS";
    result.append(file.at(3));
    const quint32 size = quint32(8 + rebuilt.size());
    for (int b = 0; b < 32; b += 8)
        result.append(char((size >> b) & 0xff));
    return result + rebuilt;
}

// Mean ms of a frame over the story's first loop: advance, then the
// changes drawn into the picture kept, as the movie control plays it.
double frameMs(const QByteArray &movie)
{
    auto player = swf::Player::fromBytes(movie);
    if (!player)
        return -1;
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    const int frames = std::max(1, player->info().frameCount);
    player->renderChanges(image);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < frames; ++i) {
        player->advance();
        player->renderChanges(image);
    }
    return t.nsecsElapsed() / 1e6 / frames;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString stories = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(STORY_DIR);

    {
        const QByteArray movie = loopMovie();
        double best = 1e9;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer t;
            t.start();
            auto player = swf::Player::fromBytes(movie);
            best = std::min(best, t.nsecsElapsed() / 1e9);
            if (!player || !player->scriptsStopped().isEmpty()) {
                std::printf("the loop movie did not run: %s\n",
                            player ? qPrintable(player->scriptsStopped()) : "no movie");
                return 1;
            }
        }
        QElapsedTimer t;
        t.start();
        double sink = 0;
        for (int round = 0; round < 20; ++round)
            sink += nativeLoop();
        const double native = t.nsecsElapsed() / 1e9 / 20;
        const double actions = double(Iterations) * ActionsPerRound;
        std::printf("interpreter: %.1f million actions/s on a loop of %d rounds, %.0f times the time "
                    "of the loop in C++ (%g)\n",
                    actions / best / 1e6, Iterations, best / native, sink > 0 ? 1.0 : 0.0);
        reportRatio("script loop, interpreter / the same loop in C++", best / native);
    }

    std::printf("frame with scripts / frame without, 1920 x 1080, first loop:\n");
    double worst = 0;
    for (const QString &name : QDir(stories).entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name)) {
        QFile f(stories + u'/' + name);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray plain = f.readAll();
        const QByteArray scripted = withScripts(plain);
        // Alternate the two, and keep the best of each, against noise.
        double a = 1e9, b = 1e9;
        for (int round = 0; round < 3; ++round) {
            a = std::min(a, frameMs(plain));
            b = std::min(b, frameMs(scripted));
        }
        std::printf("  %-14s %6.2f ms / %6.2f ms = %.3f\n", qPrintable(name), b, a, b / a);
        worst = std::max(worst, b / a);
    }
    if (worst > 0)
        reportRatio("story frame with a script in every frame / without, worst story", worst, "<= 1.1");
    return 0;
}
