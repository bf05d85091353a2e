// The ingredients on the table, mixed in a bowl, baked in the oven, the
// cake out of the oven, and the cake with icing and lit candles.
#include "Scenery.h"
#include "StoryBook.h"

using Scenery::kInk;

namespace StoryBook {

namespace {

std::vector<VectorShape> kitchen()
{
    std::vector<VectorShape> out{VectorShape::roundRect(QRectF(-10, -10, 420, 420), 0)
                                     .linear(QColor(255, 240, 205), QColor(250, 220, 180), QPointF(0, 0), QPointF(0, 280))
                                     .noOutline()};
    for (int i = 0; i < 5; ++i)
        out.push_back(VectorShape::path(QPointF(-10, 40 + i * 50)).lineTo(QPointF(410, 40 + i * 50))
                          .outline(QColor(235, 200, 160), 2));
    VectorShape window = VectorShape::roundRect(QRectF(280, 30, 100, 90), 8)
                             .linear(QColor(150, 210, 255), QColor(220, 245, 255), QPointF(0, 30), QPointF(0, 120))
                             .outline(kInk, 4);
    VectorShape cross = VectorShape::path(QPointF(330, 30)).lineTo(QPointF(330, 120));
    VectorShape cross2 = VectorShape::path(QPointF(280, 75)).lineTo(QPointF(380, 75));
    out.push_back(window);
    out.push_back(cross.outline(kInk, 4));
    out.push_back(cross2.outline(kInk, 4));
    out.push_back(VectorShape::roundRect(QRectF(-10, 290, 420, 130), 0)
                      .linear(QColor(200, 130, 80), QColor(150, 90, 50), QPointF(0, 290), QPointF(0, 400))
                      .outline(QColor(110, 60, 30), 3));
    return out;
}

VectorShape egg(QPointF at)
{
    VectorShape e = VectorShape::path(at + QPointF(0, -24));
    e.quadTo(at + QPointF(19, -24), at + QPointF(18, 2));
    e.quadTo(at + QPointF(17, 18), at + QPointF(0, 18));
    e.quadTo(at + QPointF(-17, 18), at + QPointF(-18, 2));
    e.quadTo(at + QPointF(-19, -24), at + QPointF(0, -24));
    return e.close().radial(QColor(255, 252, 245), QColor(235, 215, 190), at + QPointF(-5, -8), 28).outline(kInk, 3);
}

std::vector<VectorShape> cake(bool iced)
{
    std::vector<VectorShape> out{
        VectorShape::ellipse(QPointF(0, 0), 110, 18).fill(QColor(250, 250, 255)).outline(QColor(120, 130, 160), 3),
        VectorShape::roundRect(QRectF(-80, -80, 160, 78), 16)
            .linear(QColor(230, 170, 90), QColor(190, 120, 50), QPointF(0, -80), QPointF(0, 0))
            .outline(kInk, 3)};
    if (iced) {
        VectorShape icing = VectorShape::path(QPointF(-82, -64));
        icing.quadTo(QPointF(-82, -84), QPointF(-62, -84)).lineTo(QPointF(62, -84)).quadTo(QPointF(82, -84), QPointF(82, -64));
        for (int i = 0; i < 5; ++i) {
            const double x = 82 - i * 32.8;
            icing.quadTo(QPointF(x - 8, -34), QPointF(x - 16.4, -52));
            icing.quadTo(QPointF(x - 24, -70), QPointF(x - 32.8, -64));
        }
        out.push_back(icing.close().fill(QColor(255, 150, 190)).outline(QColor(200, 80, 130), 3));
        for (int i = 0; i < 3; ++i)
            out.push_back(VectorShape::circle(QPointF(-50 + i * 50, -86), 9).radial(QColor(255, 120, 120), QColor(200, 20, 40), QPointF(-53 + i * 50, -89), 11).outline(kInk, 2));
    }
    return out;
}

} // namespace

Story torta()
{
    Story story(QStringLiteral("torta"));
    story.add("cucina", kitchen());

    std::vector<VectorShape> ingredients{egg({70, 300}), egg({112, 306})};
    VectorShape sack = VectorShape::path(QPointF(-40, 0));
    sack.quadTo(QPointF(-48, -60), QPointF(-32, -100)).lineTo(QPointF(32, -100)).quadTo(QPointF(48, -60), QPointF(40, 0)).close();
    sack.moveBy({200, 320});
    ingredients.push_back(sack.fill(QColor(245, 240, 225)).outline(kInk, 3));
    ingredients.push_back(VectorShape::ellipse(QPointF(200, 215), 30, 8).fill(QColor(255, 255, 255)).outline(kInk, 2.5));
    ingredients.push_back(Scenery::star(QPointF(200, 270), 18, 8, 6, QColor(240, 200, 80)));
    VectorShape bottle = VectorShape::path(QPointF(280, 320));
    bottle.lineTo(QPointF(280, 240)).quadTo(QPointF(280, 220), QPointF(292, 210)).lineTo(QPointF(292, 190))
        .lineTo(QPointF(318, 190)).lineTo(QPointF(318, 210)).quadTo(QPointF(330, 220), QPointF(330, 240))
        .lineTo(QPointF(330, 320)).close();
    ingredients.push_back(bottle.linear(QColor(255, 255, 255), QColor(215, 225, 240), QPointF(280, 0), QPointF(330, 0)).outline(kInk, 3));
    ingredients.push_back(VectorShape::roundRect(QRectF(288, 178, 34, 16), 4).fill(QColor(60, 120, 220)).outline(kInk, 2.5));
    ingredients.push_back(VectorShape::roundRect(QRectF(280, 255, 50, 30), 0).fill(QColor(80, 150, 240)).outline(kInk, 2));
    story.add("ingredienti", ingredients).onlyIn({0});

    VectorShape bowl = VectorShape::path(QPointF(-95, -40));
    bowl.quadTo(QPointF(-90, 40), QPointF(0, 40)).quadTo(QPointF(90, 40), QPointF(95, -40)).close();
    VectorShape batter = VectorShape::ellipse(QPointF(0, -40), 95, 18).fill(QColor(255, 225, 120)).outline(kInk, 3);
    VectorShape whisk = VectorShape::roundRect(QRectF(-7, -150, 14, 70), 6).fill(QColor(200, 60, 60)).outline(kInk, 3);
    std::vector<VectorShape> mixing{batter, whisk};
    for (int i = -1; i <= 1; ++i) {
        VectorShape wire = VectorShape::path(QPointF(0, -82));
        wire.quadTo(QPointF(i * 40, -40), QPointF(0, -30));
        mixing.push_back(wire.outline(QColor(150, 150, 165), 3));
    }
    mixing.push_back(bowl.linear(QColor(110, 180, 240), QColor(50, 110, 200), QPointF(-95, 0), QPointF(95, 0)).outline(kInk, 3));
    StoryPart &mix = story.add("ciotola", mixing).at({200, 280}).onlyIn({1});
    mix[0].scale = 0.8;
    mix[2].scale = 0.8;

    VectorShape oven = VectorShape::roundRect(QRectF(-120, -200, 240, 200), 14).fill(QColor(235, 235, 240)).outline(kInk, 4);
    VectorShape glass = VectorShape::roundRect(QRectF(-90, -130, 180, 110), 10)
                            .radial(QColor(255, 200, 90), QColor(230, 90, 30), QPointF(0, -60), 120).outline(kInk, 3);
    std::vector<VectorShape> ovenParts{oven, glass};
    for (int i = 0; i < 3; ++i)
        ovenParts.push_back(VectorShape::circle(QPointF(-60 + i * 60, -168), 12).fill(QColor(90, 90, 100)).outline(kInk, 3));
    VectorShape tin = VectorShape::roundRect(QRectF(-60, -72, 120, 40), 6).fill(QColor(160, 160, 175)).outline(kInk, 3);
    VectorShape dome = VectorShape::path(QPointF(-55, -72));
    dome.quadTo(QPointF(0, -112), QPointF(55, -72)).close();
    ovenParts.push_back(dome.fill(QColor(230, 170, 90)).outline(kInk, 3));
    ovenParts.push_back(tin);
    story.add("forno", ovenParts).at({200, 330}).onlyIn({2});

    story.add("torta", cake(false)).at({200, 320}).onlyIn({3});
    story.add("torta decorata", cake(true)).at({200, 320}).onlyIn({4});

    std::vector<VectorShape> candles;
    for (int i = 0; i < 3; ++i) {
        const double x = -40 + i * 40;
        candles.push_back(VectorShape::roundRect(QRectF(x - 6, -150, 12, 60), 3)
                              .linear(QColor(120, 200, 255), QColor(60, 140, 230), QPointF(x - 6, 0), QPointF(x + 6, 0))
                              .outline(kInk, 2.5));
        VectorShape flame = VectorShape::path(QPointF(x, -182));
        flame.quadTo(QPointF(x + 14, -160), QPointF(x, -152)).quadTo(QPointF(x - 14, -160), QPointF(x, -182));
        candles.push_back(flame.close().radial(QColor(255, 250, 180), QColor(255, 140, 20), QPointF(x, -160), 20)
                              .outline(QColor(220, 110, 20), 2));
    }
    story.add("candeline", candles).at({200, 320}).onlyIn({4});
    return story;
}

} // namespace StoryBook
