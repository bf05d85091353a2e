// An apple on a plate is eaten bite by bite down to its core.
#include "Scenery.h"
#include "StoryBook.h"

#include <cmath>

using Scenery::kInk;

namespace StoryBook {

namespace {

struct Bite
{
    double angle;    // degrees, 0 = right, 90 = down
    double depth;    // share of the radius taken away
    double width;    // degrees either side
};

// The apple's outline with bites taken out, sampled at fixed angles so
// that every stage has the same edges and one morphs into the next.
VectorShape appleOutline(std::initializer_list<Bite> bites, double extra)
{
    constexpr int kPoints = 24;
    auto radius = [&](double deg) {
        const double a = deg * M_PI / 180.0;
        // A little dip at the top, where the stalk goes in.
        double r = 1.0 - 0.16 * std::pow(std::max(0.0, -std::sin(a)), 12.0);
        double m = 1.0;
        for (const Bite &b : bites) {
            double d = std::remainder(deg - b.angle, 360.0);
            const double width = b.width * (1.0 + extra);
            if (b.depth > 0 && std::abs(d) < width)
                m -= (b.depth + extra) * (0.5 + 0.5 * std::cos(M_PI * d / width));
        }
        return r * std::max(m, 0.03);
    };
    auto point = [&](double deg, double scale) {
        const double a = deg * M_PI / 180.0;
        const double r = radius(deg) * scale;
        return QPointF(96 * r * std::cos(a), 88 * r * std::sin(a) + 6 * std::sin(a) * std::sin(a));
    };
    const double step = 360.0 / kPoints;
    VectorShape s = VectorShape::path(point(-90, 1.0));
    for (int i = 0; i < kPoints; ++i) {
        const double from = -90 + i * step;
        // The control point sits on the tangents' crossing of a circle.
        s.quadTo(point(from + step / 2, 1.0 / std::cos(M_PI * step / 360.0)), point(from + step, 1.0));
    }
    return s.close();
}

VectorShape flesh(std::initializer_list<Bite> bites)
{
    return appleOutline(bites, 0.0)
        .radial(QColor(255, 252, 225), QColor(245, 230, 170), QPointF(0, 0), 100)
        .outline(kInk, 3);
}

VectorShape skin(std::initializer_list<Bite> bites)
{
    // The skin stops a little short of each bite, so the bite shows white.
    return appleOutline(bites, 0.2)
        .radial(QColor(255, 110, 100), QColor(200, 20, 40), QPointF(-30, -30), 130)
        .outline(kInk, 3);
}

} // namespace

Story mela()
{
    Story story(QStringLiteral("mela"));
    std::vector<VectorShape> room{VectorShape::roundRect(QRectF(-10, -10, 420, 420), 0)
                                      .linear(QColor(200, 235, 255), QColor(235, 248, 255), QPointF(0, 0), QPointF(0, 260))
                                      .noOutline()};
    // A checked tablecloth.
    room.push_back(VectorShape::roundRect(QRectF(-10, 260, 420, 160), 0).fill(QColor(255, 255, 255)).outline(QColor(200, 60, 60), 3));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 11; ++col)
            if ((row + col) % 2 == 0)
                room.push_back(VectorShape::roundRect(QRectF(-10 + col * 40, 262 + row * 38, 40, 38), 0)
                                   .fill(QColor(240, 110, 110)).noOutline());
    story.add("tavola", room);
    story.add("piatto", {VectorShape::ellipse(QPointF(0, 0), 150, 34)
                             .radial(QColor(255, 255, 255), QColor(210, 220, 235), QPointF(0, -5), 150)
                             .outline(QColor(110, 120, 150), 3),
                         VectorShape::ellipse(QPointF(0, 0), 105, 20).fill(QColor(235, 240, 248)).outline(QColor(170, 180, 200), 2)})
        .at({200, 318});

    const Bite none{0, 0, 1};
    StoryPart &inside = story.addMorph("polpa", {flesh({none}), flesh({{-10, 0.3, 38}}),
                                                 flesh({{-10, 0.32, 40}, {190, 0.3, 40}}),
                                                 flesh({{0, 0.58, 62}, {180, 0.58, 62}}),
                                                 flesh({{0, 0.8, 70}, {180, 0.8, 70}})});
    inside.at({200, 215});
    StoryPart &outside = story.addMorph("buccia", {skin({none}), skin({{-10, 0.3, 38}}),
                                                   skin({{-10, 0.32, 40}, {190, 0.3, 40}}),
                                                   skin({{0, 0.58, 62}, {180, 0.58, 62}}),
                                                   skin({{0, 0.8, 70}, {180, 0.8, 70}})});
    outside.at({200, 215});

    std::vector<VectorShape> pips;
    for (int i = -1; i <= 1; i += 2) {
        VectorShape pip = VectorShape::path(QPointF(i * 6, -14));
        pip.quadTo(QPointF(i * 14, 0), QPointF(i * 6, 12)).quadTo(QPointF(i * 0, 0), QPointF(i * 6, -14));
        pips.push_back(pip.close().fill(QColor(90, 50, 25)).outline(kInk, 1.5));
    }
    story.add("semi", pips).at({200, 215}).onlyIn({4});

    VectorShape stalk = VectorShape::path(QPointF(0, 0));
    stalk.quadTo(QPointF(2, -20), QPointF(10, -34));
    VectorShape leaf = VectorShape::path(QPointF(6, -26));
    leaf.quadTo(QPointF(30, -52), QPointF(58, -40)).quadTo(QPointF(34, -16), QPointF(6, -26));
    story.add("picciolo", {stalk.outline(QColor(110, 70, 40), 6),
                           leaf.close().linear(QColor(140, 220, 90), QColor(60, 160, 60), QPointF(6, -26), QPointF(58, -40))
                               .outline(QColor(40, 110, 40), 3)})
        .at({200, 142});
    return story;
}

} // namespace StoryBook
