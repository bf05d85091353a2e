// At the beach: a bucket and spade, one tower, two towers, the castle
// with its wall and keep, and the finished castle with flags and shells.
#include "Scenery.h"
#include "StoryBook.h"

using Scenery::kInk;

namespace StoryBook {

namespace {

const QColor kSand(240, 205, 130);

// A bucket-shaped tower standing on the origin, with battlements.
std::vector<VectorShape> tower(double w, double h)
{
    VectorShape body = VectorShape::polygon({{-w / 2, 0}, {-w * 0.4, -h}, {w * 0.4, -h}, {w / 2, 0}})
                           .linear(QColor(250, 220, 150), QColor(215, 170, 95), QPointF(-w / 2, 0), QPointF(w / 2, 0))
                           .outline(QColor(150, 105, 50), 3);
    std::vector<VectorShape> out{body};
    for (int i = 0; i < 3; ++i) {
        const double x = -w * 0.4 + i * w * 0.3;
        out.push_back(VectorShape::roundRect(QRectF(x, -h - 14, w * 0.2, 16), 3).fill(QColor(245, 212, 140)).outline(QColor(150, 105, 50), 3));
    }
    out.push_back(VectorShape::roundRect(QRectF(-w * 0.1, -h * 0.7, w * 0.2, h * 0.25), 6).fill(QColor(120, 80, 40)).outline(QColor(110, 70, 30), 2));
    return out;
}

std::vector<VectorShape> flag(const QColor &colour)
{
    VectorShape pole = VectorShape::path(QPointF(0, 0)).lineTo(QPointF(0, -50));
    VectorShape cloth = VectorShape::path(QPointF(0, -50));
    cloth.quadTo(QPointF(20, -56), QPointF(36, -44)).quadTo(QPointF(22, -36), QPointF(0, -34));
    return {pole.outline(kInk, 3), cloth.close().fill(colour).outline(kInk, 2.5)};
}

} // namespace

Story castello()
{
    Story story(QStringLiteral("castello"));
    story.add("cielo", Scenery::sky(QColor(90, 180, 250), QColor(210, 240, 255), 200));
    story.add("sole", Scenery::sun(28)).at({340, 60});
    story.add("nuvola", Scenery::cloud(110)).at({110, 70});

    VectorShape sea = VectorShape::roundRect(QRectF(-10, 180, 420, 70), 0)
                          .linear(QColor(40, 130, 210), QColor(90, 190, 230), QPointF(0, 180), QPointF(0, 250))
                          .noOutline();
    VectorShape foam = VectorShape::path(QPointF(-10, 246));
    for (int i = 0; i < 7; ++i)
        foam.quadTo(QPointF(20 + i * 60, 232), QPointF(50 + i * 60, 246));
    foam.lineTo(QPointF(410, 256)).lineTo(QPointF(-10, 256)).close();
    story.add("mare", {sea, foam.fill(QColor(235, 250, 255)).outline(QColor(140, 200, 230), 2)});
    story.add("spiaggia", {VectorShape::roundRect(QRectF(-10, 252, 420, 170), 0)
                               .linear(kSand.lighter(108), kSand.darker(110), QPointF(0, 252), QPointF(0, 400))
                               .noOutline()});

    StoryPart &left = story.add("torre1", tower(84, 96)).onlyIn({1, 2, 3, 4});
    left[1].pos = {170, 345};
    for (int k = 2; k < kScenes; ++k)
        left[k].pos = {108, 345};
    story.add("torre2", tower(84, 96)).at({292, 345}).onlyIn({2, 3, 4});
    VectorShape wall = VectorShape::roundRect(QRectF(-80, -55, 160, 55), 4)
                           .linear(QColor(250, 220, 150), QColor(220, 178, 100), QPointF(0, -55), QPointF(0, 0))
                           .outline(QColor(150, 105, 50), 3);
    VectorShape gate = VectorShape::path(QPointF(-20, 0));
    gate.lineTo(QPointF(-20, -24)).quadTo(QPointF(-20, -42), QPointF(0, -42)).quadTo(QPointF(20, -42), QPointF(20, -24)).lineTo(QPointF(20, 0)).close();
    std::vector<VectorShape> keep = tower(86, 120);
    keep.insert(keep.begin(), gate.fill(QColor(120, 80, 40)).outline(QColor(110, 70, 30), 3));
    keep.insert(keep.begin(), wall);
    StoryPart &middle = story.add("mastio", keep).at({200, 352}).onlyIn({3, 4});
    (void)middle;

    std::vector<VectorShape> flags = flag(QColor(240, 60, 70));
    for (VectorShape f : flag(QColor(60, 140, 240))) {
        f.moveBy({-80, 40});
        flags.push_back(f);
    }
    for (VectorShape f : flag(QColor(255, 200, 40))) {
        f.moveBy({80, 40});
        flags.push_back(f);
    }
    story.add("bandiere", flags).at({200, 218}).onlyIn({4});

    std::vector<VectorShape> shells;
    for (int i = 0; i < 3; ++i) {
        const double x = 40 + i * 110, y = 385;
        VectorShape shell = VectorShape::path(QPointF(x - 16, y));
        shell.quadTo(QPointF(x - 18, y - 26), QPointF(x, y - 26)).quadTo(QPointF(x + 18, y - 26), QPointF(x + 16, y)).close();
        shells.push_back(shell.radial(QColor(255, 230, 235), QColor(250, 150, 170), QPointF(x, y - 8), 24).outline(kInk, 2.5));
    }
    story.add("conchiglie", shells).onlyIn({4});

    // The bucket and spade stand in front, out of the castle's way.
    VectorShape bucket = VectorShape::polygon({{-28, 0}, {-36, -62}, {36, -62}, {28, 0}})
                             .linear(QColor(255, 90, 90), QColor(210, 40, 50), QPointF(-36, 0), QPointF(36, 0))
                             .outline(kInk, 3);
    VectorShape handle = VectorShape::path(QPointF(-34, -58));
    handle.quadTo(QPointF(0, -110), QPointF(34, -58));
    VectorShape spade = VectorShape::path(QPointF(50, 0));
    spade.quadTo(QPointF(40, -20), QPointF(52, -34)).lineTo(QPointF(72, -30)).quadTo(QPointF(76, -10), QPointF(50, 0)).close();
    VectorShape shaft = VectorShape::path(QPointF(62, -32)).lineTo(QPointF(84, -96));
    StoryPart &tools = story.add("secchiello", {shaft.outline(QColor(60, 120, 220), 7), handle.outline(kInk, 3), bucket,
                                                spade.fill(QColor(60, 140, 240)).outline(kInk, 3)});
    tools.at({318, 392});
    for (int k = 1; k < kScenes; ++k)
        tools[k].scale = 0.75;
    tools[0].pos = {190, 340};

    return story;
}

} // namespace StoryBook
