// A seed in the soil gets rain, sprouts, grows leaves, a bud, and flowers.
#include "Scenery.h"
#include "StoryBook.h"

using Scenery::kInk;

namespace StoryBook {

namespace {

// The stem from the ground (the origin) up to `height`.
VectorShape stem(double height)
{
    return VectorShape::roundRect(QRectF(-6, -height, 12, height + 6), 6)
        .linear(QColor(120, 200, 80), QColor(60, 150, 50), QPointF(-6, 0), QPointF(6, 0))
        .outline(QColor(40, 100, 40), 3);
}

VectorShape leaf(double side)
{
    VectorShape s = VectorShape::path(QPointF(0, 0));
    s.quadTo(QPointF(side * 25, -34), QPointF(side * 62, -16));
    s.quadTo(QPointF(side * 30, 14), QPointF(0, 0));
    return s.close().linear(QColor(140, 220, 90), QColor(60, 160, 60), QPointF(0, 0), QPointF(side * 60, -10))
        .outline(QColor(40, 110, 40), 3);
}

} // namespace

Story seme()
{
    Story story(QStringLiteral("seme"));
    const double groundTop = 270;

    StoryPart &sky = story.add("cielo", Scenery::sky(QColor(110, 185, 250), QColor(205, 238, 255)));
    sky[1].tint = QColor(175, 185, 205);

    StoryPart &sun = story.add("sole", Scenery::sun(32)).at({325, 75});
    sun.onlyIn({0, 2, 3, 4});
    sun[4].scale = 1.25;
    sun[4].pos = {315, 80};

    StoryPart &cloud = story.add("nuvola", Scenery::cloud(170, QColor(235, 240, 250))).onlyIn({1});
    cloud.at({205, 85});

    std::vector<VectorShape> drops;
    for (int i = 0; i < 9; ++i) {
        const double x = -60 + (i % 5) * 30 + (i / 5) * 15, y = (i / 5) * 40 + (i % 2) * 14;
        VectorShape d = VectorShape::path(QPointF(x, y));
        d.quadTo(QPointF(x + 8, y + 14), QPointF(x, y + 18));
        d.quadTo(QPointF(x - 8, y + 14), QPointF(x, y));
        drops.push_back(d.close().fill(QColor(90, 160, 240)).outline(QColor(40, 90, 180), 2));
    }
    story.add("pioggia", drops).onlyIn({1}).at({210, 140});

    story.add("terra", Scenery::meadow(groundTop, QColor(110, 200, 70), QColor(150, 95, 55)));

    // The soil is drawn cut open, so the seed and its roots show.
    VectorShape hole = VectorShape::ellipse(QPointF(0, 0), 48, 30).fill(QColor(105, 62, 35)).outline(QColor(80, 45, 25), 2.5);
    story.add("buca", {hole}).at({200, 335});

    VectorShape seed = VectorShape::ellipse(QPointF(0, 0), 22, 14)
                           .radial(QColor(235, 180, 110), QColor(170, 110, 50), QPointF(-6, -5), 24)
                           .outline(kInk, 3);
    VectorShape shine = VectorShape::ellipse(QPointF(-8, -5), 7, 3).fill(QColor(255, 235, 200)).noOutline();
    StoryPart &seedPart = story.add("seme", {seed, shine}).at({200, 335}).onlyIn({0, 1, 2});
    seedPart[0].rotation = -15;
    seedPart[2].scale = 0.8;

    VectorShape roots = VectorShape::path(QPointF(0, -4));
    roots.quadTo(QPointF(-10, 14), QPointF(-26, 22));
    VectorShape root2 = VectorShape::path(QPointF(0, -4));
    root2.quadTo(QPointF(4, 18), QPointF(0, 30));
    VectorShape root3 = VectorShape::path(QPointF(0, -4));
    root3.quadTo(QPointF(12, 12), QPointF(28, 20));
    for (VectorShape *r : {&roots, &root2, &root3})
        r->outline(QColor(230, 215, 170), 4);
    StoryPart &rootPart = story.add("radici", {roots, root2, root3}).at({200, 340}).onlyIn({1, 2, 3, 4});
    rootPart[1].scale = 0.6;
    rootPart[3].scale = 1.3;
    rootPart[4].scale = 1.5;

    StoryPart &stemPart = story.addMorph("stelo", {stem(2), stem(40), stem(95), stem(160), stem(175)});
    stemPart.at({200, 328}).onlyIn({1, 2, 3, 4});

    StoryPart &leaves = story.add("foglie", {leaf(-1), leaf(1)}).onlyIn({2, 3, 4});
    leaves[2].pos = {200, 262};
    leaves[2].scale = 0.6;
    leaves[3].pos = {200, 235};
    leaves[4].pos = {200, 235};

    StoryPart &flower = story.addMorph("fiore", {Scenery::petals(20, 0, QColor(120, 190, 80)),
                                                 Scenery::petals(20, 0, QColor(120, 190, 80)),
                                                 Scenery::petals(20, 0, QColor(120, 190, 80)),
                                                 Scenery::petals(52, 0.0, QColor(120, 190, 80)),
                                                 Scenery::petals(62, 1, QColor(240, 70, 110))});
    flower.onlyIn({3, 4});
    flower[3].pos = {200, 160};
    flower[4].pos = {200, 150};

    VectorShape heart = VectorShape::circle(QPointF(0, 0), 20)
                            .radial(QColor(255, 240, 120), QColor(250, 180, 30), QPointF(-5, -5), 24)
                            .outline(QColor(200, 120, 20), 3);
    std::vector<VectorShape> centre{heart};
    for (const VectorShape &f : Scenery::face(20))
        centre.push_back(f);
    story.add("centro", centre).at({200, 150}).onlyIn({4});
    return story;
}

} // namespace StoryBook
