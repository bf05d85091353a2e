#pragma once

#include "StoryPart.h"

#include <QString>
#include <vector>

// A story in five scenes: its parts, drawn in order (the first at the
// back), on a 400 x 400 pixel stage.
class Story
{
public:
    explicit Story(const QString &name) : m_name(name) {}

    static constexpr int kStageSize = 400;

    const QString &name() const { return m_name; }
    const std::vector<StoryPart> &parts() const { return m_parts; }

    StoryPart &add(const QString &name, std::vector<VectorShape> drawing);
    StoryPart &addMorph(const QString &name, std::array<VectorShape, kScenes> shapes);

private:
    QString m_name;
    std::vector<StoryPart> m_parts;
};
