#include "Story.h"

StoryPart &Story::add(const QString &name, std::vector<VectorShape> drawing)
{
    m_parts.emplace_back(name, std::move(drawing));
    return m_parts.back();
}

StoryPart &Story::addMorph(const QString &name, std::array<VectorShape, kScenes> shapes)
{
    m_parts.push_back(StoryPart::morphing(name, std::move(shapes)));
    return m_parts.back();
}
