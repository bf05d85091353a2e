// Snow falls, a snowball is rolled, a second ball goes on top, then the
// head, and the snowman gets his hat, scarf, nose and arms.
#include "Scenery.h"
#include "StoryBook.h"

using Scenery::kInk;

namespace StoryBook {

namespace {

VectorShape snowball(double r)
{
    return VectorShape::circle(QPointF(0, -r), r)
        .radial(QColor(255, 255, 255), QColor(170, 195, 232), QPointF(-r * 0.35, -r * 1.35), r * 1.4)
        .outline(QColor(110, 130, 160), 3);
}

std::vector<VectorShape> flakes(int seed)
{
    std::vector<VectorShape> out;
    for (int i = 0; i < 12; ++i) {
        const double x = 25 + (i % 4) * 95 + ((i * 37 + seed * 11) % 40);
        const double y = 25 + (i / 4) * 80 + ((i * 53 + seed * 7) % 45);
        out.push_back(Scenery::star(QPointF(x, y), 11, 4, 6, QColor(255, 255, 255)).outline(QColor(130, 160, 210), 1.5));
    }
    return out;
}

} // namespace

Story pupazzo()
{
    Story story(QStringLiteral("pupazzo"));
    StoryPart &sky = story.add("cielo", Scenery::sky(QColor(140, 180, 230), QColor(225, 238, 250)));
    sky[0].tint = QColor(190, 200, 215);
    sky[1].tint = QColor(215, 222, 235);

    story.add("sole", Scenery::sun(30)).at({330, 70}).onlyIn({3, 4});
    story.add("neve", flakes(1)).onlyIn({0});
    story.add("prato", Scenery::meadow(285, QColor(250, 252, 255), QColor(215, 228, 245)));

    VectorShape trunk = VectorShape::roundRect(QRectF(-9, -70, 18, 75), 4).fill(QColor(130, 85, 50)).outline(kInk, 3);
    VectorShape crown = VectorShape::polygon({{0, -190}, {48, -60}, {-48, -60}})
                            .linear(QColor(70, 170, 90), QColor(30, 110, 60), QPointF(0, -190), QPointF(0, -60))
                            .outline(QColor(20, 80, 40), 3);
    VectorShape snowCap = VectorShape::polygon({{0, -190}, {20, -136}, {8, -142}, {-4, -132}, {-20, -136}})
                              .fill(Qt::white).outline(QColor(150, 170, 200), 2);
    story.add("albero", {trunk, crown, snowCap}).at({62, 300});

    StoryPart &bottom = story.add("palla1", {snowball(58)}).at({210, 335}).onlyIn({1, 2, 3, 4});
    bottom[1].scale = 0.7;
    bottom[1].pos = {150, 335};
    story.add("palla2", {snowball(42)}).at({210, 228}).onlyIn({2, 3, 4});
    story.add("testa", {snowball(32)}).at({210, 152}).onlyIn({3, 4});

    std::vector<VectorShape> face{
        VectorShape::circle(QPointF(-11, -8), 4.5).fill(kInk).noOutline(),
        VectorShape::circle(QPointF(11, -8), 4.5).fill(kInk).noOutline(),
        VectorShape::polygon({{-2, 0}, {30, 6}, {-2, 9}}).fill(QColor(255, 140, 30)).outline(QColor(200, 90, 20), 2),
    };
    for (int i = 0; i < 5; ++i)
        face.push_back(VectorShape::circle(QPointF(-14 + i * 7, 14 + (i == 0 || i == 4 ? -3 : 0)), 3).fill(kInk).noOutline());
    for (int i = 0; i < 3; ++i)
        face.push_back(VectorShape::circle(QPointF(0, 50 + i * 24), 5).fill(kInk).noOutline());
    story.add("faccia", face).at({210, 120}).onlyIn({4});

    VectorShape brim = VectorShape::roundRect(QRectF(-34, -4, 68, 10), 4).fill(QColor(50, 50, 70)).outline(kInk, 3);
    VectorShape top = VectorShape::roundRect(QRectF(-22, -42, 44, 40), 5).fill(QColor(60, 60, 85)).outline(kInk, 3);
    VectorShape band = VectorShape::roundRect(QRectF(-22, -14, 44, 8), 0).fill(QColor(220, 50, 60)).outline(kInk, 2);
    StoryPart &hat = story.add("cappello", {top, band, brim}).at({210, 96}).onlyIn({4});
    hat[4].rotation = -8;

    VectorShape scarf = VectorShape::roundRect(QRectF(-36, -8, 72, 18), 9).fill(QColor(230, 60, 70)).outline(kInk, 3);
    VectorShape tail = VectorShape::roundRect(QRectF(10, 0, 16, 46), 6).fill(QColor(210, 45, 60)).outline(kInk, 3);
    story.add("sciarpa", {tail, scarf}).at({210, 150}).onlyIn({4});

    VectorShape armL = VectorShape::path(QPointF(-36, 0));
    armL.lineTo(QPointF(-90, -40)).lineTo(QPointF(-100, -60));
    VectorShape fingerL = VectorShape::path(QPointF(-90, -40));
    fingerL.lineTo(QPointF(-112, -38));
    VectorShape armR = VectorShape::path(QPointF(36, 0));
    armR.lineTo(QPointF(92, -34)).lineTo(QPointF(108, -30));
    VectorShape fingerR = VectorShape::path(QPointF(92, -34));
    fingerR.lineTo(QPointF(100, -56));
    std::vector<VectorShape> arms{armL, fingerL, armR, fingerR};
    for (VectorShape &a : arms)
        a.outline(QColor(110, 70, 40), 6);
    story.add("braccia", arms).at({210, 222}).onlyIn({4});
    return story;
}

} // namespace StoryBook
