#pragma once

#include "Character.h"
#include "display/Timeline.h"

namespace swf {

// DefineSprite: a movie clip with its own timeline. Drawn by the display
// list, which gives each placement its own position in that timeline.
class SpriteCharacter : public Character
{
public:
    SpriteCharacter(int id, Timeline timeline) : Character(id), m_timeline(std::move(timeline)) {}
    Type type() const override { return Type::Sprite; }
    const Timeline &timeline() const { return m_timeline; }

private:
    Timeline m_timeline;
};

} // namespace swf
