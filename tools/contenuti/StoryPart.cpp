#include "StoryPart.h"

#include <stdexcept>

StoryPart::StoryPart(const QString &name, std::vector<VectorShape> drawing)
    : m_name(name), m_drawing(std::move(drawing))
{
}

StoryPart StoryPart::morphing(const QString &name, std::array<VectorShape, kScenes> shapes)
{
    for (int k = 1; k < kScenes; ++k)
        if (!shapes[0].morphsInto(shapes[size_t(k)]))
            throw std::invalid_argument(("the shapes of " + name + " cannot morph").toStdString());
    StoryPart part(name, std::vector<VectorShape>(shapes.begin(), shapes.end()));
    part.m_morph = true;
    return part;
}

StoryPart &StoryPart::at(QPointF pos)
{
    for (PartState &s : states)
        s.pos = pos;
    return *this;
}

StoryPart &StoryPart::onlyIn(std::initializer_list<int> scenes)
{
    for (int k = 0; k < kScenes; ++k) {
        bool shown = false;
        for (int s : scenes)
            shown = shown || s == k;
        states[size_t(k)].visible = shown;
    }
    return *this;
}

StoryPart &StoryPart::backdrop()
{
    m_backdrop = true;
    return *this;
}
