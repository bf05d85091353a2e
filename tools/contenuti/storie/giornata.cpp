// One day: sunrise, morning, midday, sunset and night over a little house.
#include "Scenery.h"
#include "StoryBook.h"

using Scenery::kInk;

namespace StoryBook {

namespace {

std::vector<VectorShape> house()
{
    VectorShape wall = VectorShape::roundRect(QRectF(-70, -100, 140, 100), 4)
                           .linear(QColor(255, 235, 190), QColor(240, 205, 150), QPointF(0, -100), QPointF(0, 0))
                           .outline(kInk, 3);
    VectorShape roof = VectorShape::polygon({{-90, -96}, {0, -170}, {90, -96}})
                           .linear(QColor(235, 90, 70), QColor(190, 50, 40), QPointF(0, -170), QPointF(0, -96))
                           .outline(kInk, 3);
    VectorShape chimney = VectorShape::roundRect(QRectF(40, -170, 20, 44), 2).fill(QColor(170, 80, 60)).outline(kInk, 3);
    VectorShape door = VectorShape::roundRect(QRectF(-18, -60, 36, 60), 14).fill(QColor(140, 90, 50)).outline(kInk, 3);
    VectorShape win1 = VectorShape::roundRect(QRectF(-58, -80, 30, 30), 4).fill(QColor(120, 170, 220)).outline(kInk, 3);
    VectorShape win2 = VectorShape::roundRect(QRectF(28, -80, 30, 30), 4).fill(QColor(120, 170, 220)).outline(kInk, 3);
    return {chimney, roof, wall, door, win1, win2};
}

std::vector<VectorShape> litWindows()
{
    return {VectorShape::roundRect(QRectF(-58, -80, 30, 30), 4).radial(QColor(255, 250, 180), QColor(255, 200, 60), QPointF(-43, -65), 22).outline(kInk, 3),
            VectorShape::roundRect(QRectF(28, -80, 30, 30), 4).radial(QColor(255, 250, 180), QColor(255, 200, 60), QPointF(43, -65), 22).outline(kInk, 3)};
}

} // namespace

Story giornata()
{
    Story story(QStringLiteral("giornata"));
    // Each light of the day has a sky of its own; they dissolve into each
    // other.
    story.add("cielo", Scenery::sky(QColor(120, 190, 255), QColor(225, 242, 255), 310)).onlyIn({1, 2}).backdrop();
    story.add("alba", Scenery::sky(QColor(150, 190, 240), QColor(255, 200, 150), 310)).onlyIn({0}).backdrop();
    story.add("tramonto", Scenery::sky(QColor(120, 90, 170), QColor(255, 140, 80), 310)).onlyIn({3}).backdrop();
    story.add("notte", Scenery::sky(QColor(15, 20, 70), QColor(50, 60, 130), 310)).onlyIn({4}).backdrop();

    // The sun climbs from the left, stands high at noon and sets on the right.
    StoryPart &sun = story.add("sole", Scenery::sun(34)).onlyIn({0, 1, 2, 3});
    sun[0].pos = {70, 255};
    sun[1].pos = {120, 130};
    sun[2].pos = {200, 70};
    sun[3].pos = {335, 250};
    sun[0].tint = QColor(255, 190, 150);
    sun[3].tint = QColor(255, 170, 130);

    std::vector<VectorShape> stars;
    const QPointF at[] = {{40, 40}, {110, 90}, {175, 30}, {250, 70}, {320, 130}, {60, 150}, {370, 40}, {215, 140}};
    for (QPointF p : at)
        stars.push_back(Scenery::star(p, 11, 5, 5, QColor(255, 240, 140)));
    story.add("stelle", stars).onlyIn({4});
    story.add("luna", Scenery::moon(36)).at({300, 80}).onlyIn({4});

    StoryPart &hills = story.add("colline", Scenery::meadow(285, QColor(110, 200, 80), QColor(90, 170, 70)));
    hills[0].tint = QColor(230, 210, 200);
    hills[3].tint = QColor(230, 180, 160);
    hills[4].tint = QColor(70, 80, 130);

    StoryPart &home = story.add("casa", house()).at({200, 330});
    home[3].tint = QColor(240, 200, 180);
    home[4].tint = QColor(90, 100, 150);
    story.add("finestre accese", litWindows()).at({200, 330}).onlyIn({4});
    return story;
}

} // namespace StoryBook
