// An egg on a leaf, a little caterpillar, a big caterpillar, the
// chrysalis hanging from the branch, and the butterfly.
#include "Scenery.h"
#include "StoryBook.h"

using Scenery::kInk;

namespace StoryBook {

namespace {

VectorShape bigLeaf()
{
    VectorShape s = VectorShape::path(QPointF(-150, 0));
    s.quadTo(QPointF(-60, -80), QPointF(120, -20)).quadTo(QPointF(40, 60), QPointF(-150, 0));
    return s.close().linear(QColor(130, 210, 80), QColor(60, 150, 50), QPointF(0, -50), QPointF(0, 30))
        .outline(QColor(40, 100, 40), 3);
}

std::vector<VectorShape> caterpillar()
{
    std::vector<VectorShape> body;
    for (int i = 0; i < 5; ++i) {
        const double x = -80 + i * 30, y = (i % 2) * -8;
        body.push_back(VectorShape::circle(QPointF(x, y), 20)
                           .radial(QColor(180, 240, 100), QColor(80, 180, 50), QPointF(x - 6, y - 8), 24)
                           .outline(QColor(40, 110, 40), 3));
        body.push_back(VectorShape::circle(QPointF(x, y - 4), 4).fill(QColor(255, 210, 60)).noOutline());
    }
    body.push_back(VectorShape::circle(QPointF(72, -10), 26).radial(QColor(255, 120, 110), QColor(220, 50, 60), QPointF(64, -18), 30)
                       .outline(kInk, 3));
    for (VectorShape f : Scenery::face(26)) {
        f.moveBy({72, -10});
        body.push_back(f);
    }
    for (int i = -1; i <= 1; i += 2) {
        VectorShape antenna = VectorShape::path(QPointF(72 + i * 10, -34));
        antenna.quadTo(QPointF(72 + i * 14, -52), QPointF(72 + i * 24, -56));
        body.push_back(antenna.outline(kInk, 3));
        body.push_back(VectorShape::circle(QPointF(72 + i * 24, -56), 5).fill(kInk).noOutline());
    }
    return body;
}

std::vector<VectorShape> butterfly()
{
    std::vector<VectorShape> out;
    for (int side = -1; side <= 1; side += 2) {
        VectorShape upper = VectorShape::path(QPointF(0, -6));
        upper.quadTo(QPointF(side * 30, -90), QPointF(side * 85, -60)).quadTo(QPointF(side * 90, -10), QPointF(0, -6));
        out.push_back(upper.close().radial(QColor(255, 220, 90), QColor(250, 120, 40), QPointF(side * 40, -40), 70).outline(kInk, 3));
        VectorShape lower = VectorShape::path(QPointF(0, 0));
        lower.quadTo(QPointF(side * 80, 10), QPointF(side * 55, 55)).quadTo(QPointF(side * 20, 70), QPointF(0, 0));
        out.push_back(lower.close().radial(QColor(120, 200, 255), QColor(60, 110, 230), QPointF(side * 35, 30), 50).outline(kInk, 3));
        out.push_back(VectorShape::circle(QPointF(side * 48, -42), 11).fill(QColor(255, 255, 255)).outline(kInk, 2));
    }
    out.push_back(VectorShape::roundRect(QRectF(-7, -40, 14, 90), 7).fill(QColor(90, 60, 50)).outline(kInk, 3));
    out.push_back(VectorShape::circle(QPointF(0, -46), 11).fill(QColor(90, 60, 50)).outline(kInk, 3));
    for (int side = -1; side <= 1; side += 2) {
        VectorShape antenna = VectorShape::path(QPointF(side * 4, -54));
        antenna.quadTo(QPointF(side * 10, -74), QPointF(side * 24, -80));
        out.push_back(antenna.outline(kInk, 3));
    }
    return out;
}

} // namespace

Story bruco()
{
    Story story(QStringLiteral("bruco"));
    story.add("cielo", Scenery::sky(QColor(120, 200, 255), QColor(220, 245, 255), 320));
    story.add("sole", Scenery::sun(28)).at({345, 60});
    story.add("prato", Scenery::meadow(330, QColor(110, 200, 70), QColor(90, 170, 60)));

    VectorShape trunk = VectorShape::roundRect(QRectF(-20, -20, 48, 370), 10)
                            .linear(QColor(150, 100, 60), QColor(110, 70, 40), QPointF(-20, 0), QPointF(28, 0))
                            .outline(kInk, 3);
    VectorShape stalk = VectorShape::path(QPointF(270, 345));
    stalk.quadTo(QPointF(262, 292), QPointF(205, 272));
    story.add("tronco", {trunk, stalk.outline(QColor(50, 130, 50), 8)});

    VectorShape branch = VectorShape::path(QPointF(-10, 80));
    branch.quadTo(QPointF(150, 60), QPointF(300, 92)).lineTo(QPointF(300, 106)).quadTo(QPointF(150, 76), QPointF(-10, 100)).close();
    story.add("ramo", {branch.linear(QColor(160, 110, 70), QColor(110, 70, 40), QPointF(0, 80), QPointF(0, 105)).outline(kInk, 3)});

    StoryPart &leaf = story.add("foglia", {bigLeaf()}).at({210, 270});

    // The leaf gets eaten: two bites show as holes of sky colour.
    std::vector<VectorShape> holes{VectorShape::circle(QPointF(40, -25), 16).fill(QColor(185, 228, 255)).outline(QColor(40, 100, 40), 3),
                                   VectorShape::circle(QPointF(-30, -38), 12).fill(QColor(185, 228, 255)).outline(QColor(40, 100, 40), 3)};
    story.add("morsi", holes).at({210, 270}).onlyIn({2, 3, 4});
    leaf[0].scale = 1.0;

    std::vector<VectorShape> eggs;
    for (int i = 0; i < 3; ++i)
        eggs.push_back(VectorShape::ellipse(QPointF(-24 + i * 24, 0), 11, 14)
                           .radial(QColor(255, 255, 235), QColor(235, 225, 170), QPointF(-28 + i * 24, -5), 16)
                           .outline(kInk, 2.5));
    story.add("uova", eggs).at({190, 262}).onlyIn({0});

    StoryPart &worm = story.add("bruco", caterpillar()).onlyIn({1, 2});
    worm[1].pos = {170, 250};
    worm[1].scale = 0.55;
    worm[2].pos = {190, 232};
    worm[2].scale = 1.05;

    VectorShape thread = VectorShape::path(QPointF(0, -30)).lineTo(QPointF(0, 0));
    VectorShape cocoon = VectorShape::path(QPointF(0, 0));
    cocoon.quadTo(QPointF(30, 20), QPointF(22, 70)).quadTo(QPointF(12, 105), QPointF(0, 110))
        .quadTo(QPointF(-12, 105), QPointF(-22, 70)).quadTo(QPointF(-30, 20), QPointF(0, 0));
    std::vector<VectorShape> pupa{thread.outline(kInk, 3),
                                  cocoon.close().linear(QColor(200, 190, 110), QColor(140, 150, 70), QPointF(-22, 0), QPointF(22, 0)).outline(kInk, 3)};
    for (int i = 0; i < 3; ++i) {
        VectorShape ring = VectorShape::path(QPointF(-18, 36 + i * 22));
        ring.quadTo(QPointF(0, 44 + i * 22), QPointF(18, 36 + i * 22));
        pupa.push_back(ring.outline(QColor(110, 110, 50), 2.5));
    }
    story.add("bozzolo", pupa).at({150, 112}).onlyIn({3});

    StoryPart &fly = story.add("farfalla", butterfly()).onlyIn({4});
    fly[4].pos = {200, 185};
    fly[4].rotation = -12;
    return story;
}

} // namespace StoryBook
