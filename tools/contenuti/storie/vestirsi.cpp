// A child gets dressed: in pyjamas, then trousers, jumper, shoes, and
// finally coat and hat, ready to go out.
#include "Scenery.h"
#include "StoryBook.h"

using Scenery::kInk;

namespace StoryBook {

namespace {

const QColor kSkinTone(255, 214, 170);
const QColor kSkinLine(190, 120, 80);

// The child stands with the feet on the origin, facing us.
std::vector<VectorShape> child()
{
    std::vector<VectorShape> out;
    for (int side = -1; side <= 1; side += 2) {
        out.push_back(VectorShape::roundRect(QRectF(side * 22 - 10, -110, 20, 108), 9).fill(kSkinTone).outline(kSkinLine, 3));
        out.push_back(VectorShape::roundRect(QRectF(side * 50 - 9, -222, 18, 100), 9).fill(kSkinTone).outline(kSkinLine, 3));
    }
    out.push_back(VectorShape::roundRect(QRectF(-38, -230, 76, 128), 22).fill(QColor(255, 255, 255)).outline(kInk, 3));
    out.push_back(VectorShape::circle(QPointF(0, -272), 44).radial(QColor(255, 225, 190), kSkinTone, QPointF(-10, -285), 50).outline(kSkinLine, 3));
    VectorShape hair = VectorShape::path(QPointF(-46, -270));
    hair.quadTo(QPointF(-50, -325), QPointF(0, -320)).quadTo(QPointF(50, -325), QPointF(46, -270))
        .quadTo(QPointF(30, -300), QPointF(0, -296)).quadTo(QPointF(-30, -300), QPointF(-46, -270));
    out.push_back(hair.close().fill(QColor(150, 85, 40)).outline(kInk, 3));
    for (VectorShape f : Scenery::face(40)) {
        f.moveBy({0, -266});
        out.push_back(f);
    }
    out.push_back(VectorShape::circle(QPointF(-26, -256), 7).fill(QColor(255, 160, 150)).noOutline());
    out.push_back(VectorShape::circle(QPointF(26, -256), 7).fill(QColor(255, 160, 150)).noOutline());
    return out;
}

std::vector<VectorShape> pyjamas()
{
    std::vector<VectorShape> out;
    const QColor cloth(170, 200, 255), line(90, 110, 190);
    for (int side = -1; side <= 1; side += 2) {
        out.push_back(VectorShape::roundRect(QRectF(side * 22 - 13, -112, 26, 100), 10).fill(cloth).outline(line, 3));
        out.push_back(VectorShape::roundRect(QRectF(side * 50 - 12, -224, 24, 90), 10).fill(cloth).outline(line, 3));
    }
    out.push_back(VectorShape::roundRect(QRectF(-40, -232, 80, 132), 22).fill(cloth).outline(line, 3));
    for (int i = 0; i < 6; ++i)
        out.push_back(Scenery::star(QPointF(-22 + (i % 2) * 40 + (i / 2) * 3, -200 + (i / 2) * 34), 8, 4, 5, QColor(255, 240, 120)));
    return out;
}

} // namespace

Story vestirsi()
{
    Story story(QStringLiteral("vestirsi"));
    std::vector<VectorShape> room{VectorShape::roundRect(QRectF(-10, -10, 420, 330), 0)
                                      .linear(QColor(255, 245, 215), QColor(250, 225, 190), QPointF(0, 0), QPointF(0, 320))
                                      .noOutline(),
                                  VectorShape::roundRect(QRectF(-10, 320, 420, 100), 0)
                                      .linear(QColor(200, 150, 100), QColor(160, 110, 70), QPointF(0, 320), QPointF(0, 400))
                                      .outline(QColor(120, 80, 50), 3)};
    room.push_back(VectorShape::roundRect(QRectF(290, 60, 90, 80), 6)
                       .linear(QColor(140, 200, 255), QColor(210, 240, 255), QPointF(0, 60), QPointF(0, 140))
                       .outline(kInk, 4));
    room.push_back(VectorShape::path(QPointF(335, 60)).lineTo(QPointF(335, 140)).outline(kInk, 4));
    VectorShape door = VectorShape::roundRect(QRectF(22, 110, 80, 210), 6).fill(QColor(190, 120, 70)).outline(kInk, 3);
    room.push_back(door);
    room.push_back(VectorShape::circle(QPointF(88, 220), 6).fill(QColor(250, 210, 80)).outline(kInk, 2));
    story.add("stanza", room);

    StoryPart &sunOutside = story.add("sole", Scenery::sun(12, false)).at({358, 96});
    (void)sunOutside;

    story.add("bambino", child()).at({200, 372});
    story.add("pigiama", pyjamas()).at({200, 372}).onlyIn({0});

    // The clothes stay on once put on: each scene adds one more.
    std::vector<VectorShape> trousers;
    for (int side = -1; side <= 1; side += 2)
        trousers.push_back(VectorShape::roundRect(QRectF(side * 22 - 14, -130, 28, 116), 8)
                               .linear(QColor(70, 110, 200), QColor(40, 70, 150), QPointF(-30, 0), QPointF(30, 0))
                               .outline(kInk, 3));
    trousers.push_back(VectorShape::roundRect(QRectF(-38, -136, 76, 40), 10).fill(QColor(60, 95, 185)).outline(kInk, 3));
    story.add("pantaloni", trousers).at({200, 372}).onlyIn({1, 2, 3, 4});

    std::vector<VectorShape> jumper;
    for (int side = -1; side <= 1; side += 2)
        jumper.push_back(VectorShape::roundRect(QRectF(side * 50 - 13, -226, 26, 92), 11).fill(QColor(250, 90, 80)).outline(kInk, 3));
    jumper.push_back(VectorShape::roundRect(QRectF(-42, -234, 84, 120), 22).fill(QColor(250, 100, 90)).outline(kInk, 3));
    for (int i = 0; i < 3; ++i)
        jumper.push_back(VectorShape::roundRect(QRectF(-40, -200 + i * 26, 80, 9), 0).fill(QColor(255, 220, 90)).noOutline());
    story.add("maglione", jumper).at({200, 372}).onlyIn({2, 3, 4});

    std::vector<VectorShape> shoes;
    for (int side = -1; side <= 1; side += 2) {
        // Heel towards the middle, toe pointing outwards.
        const double inner = side * 6, outer = side * 38, toe = side * 54;
        VectorShape shoe = VectorShape::path(QPointF(inner, 0));
        shoe.lineTo(QPointF(inner, -20)).quadTo(QPointF(side * 22, -26), QPointF(outer, -20))
            .quadTo(QPointF(toe, -14), QPointF(toe, 0)).close();
        shoes.push_back(shoe.fill(QColor(230, 60, 60)).outline(kInk, 3));
    }
    story.add("scarpe", shoes).at({200, 374}).onlyIn({3, 4});

    std::vector<VectorShape> coat;
    for (int side = -1; side <= 1; side += 2)
        coat.push_back(VectorShape::roundRect(QRectF(side * 52 - 15, -228, 30, 98), 12).fill(QColor(70, 170, 90)).outline(kInk, 3));
    coat.push_back(VectorShape::roundRect(QRectF(-46, -236, 92, 150), 20).fill(QColor(80, 180, 100)).outline(kInk, 3));
    coat.push_back(VectorShape::path(QPointF(0, -234)).lineTo(QPointF(0, -88)).outline(kInk, 3));
    for (int i = 0; i < 3; ++i)
        coat.push_back(VectorShape::circle(QPointF(9, -206 + i * 40), 5).fill(QColor(250, 210, 80)).outline(kInk, 2));
    VectorShape hat = VectorShape::path(QPointF(-48, -292));
    hat.quadTo(QPointF(-48, -346), QPointF(0, -346)).quadTo(QPointF(48, -346), QPointF(48, -292)).close();
    coat.push_back(hat.fill(QColor(255, 200, 40)).outline(kInk, 3));
    coat.push_back(VectorShape::circle(QPointF(0, -350), 12).fill(QColor(255, 255, 255)).outline(kInk, 2.5));
    coat.push_back(VectorShape::roundRect(QRectF(-52, -300, 104, 16), 8).fill(QColor(240, 170, 30)).outline(kInk, 3));
    story.add("cappotto", coat).at({200, 372}).onlyIn({4});
    return story;
}

} // namespace StoryBook
