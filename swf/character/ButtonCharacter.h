#pragma once

#include "Character.h"
#include "render/Filter.h"

#include <vector>

namespace swf {

// DefineButton / DefineButton2. The engine shows buttons in their up state
// only (no mouse input reaches a reward animation), so only the records
// flagged for that state are kept.
class ButtonCharacter : public Character
{
public:
    struct Record
    {
        int characterId = 0;
        int depth = 0;
        Matrix matrix;
        ColorTransform cxform;
        int blendMode = 0;
        FilterList filters;
    };

    ButtonCharacter(int id, std::vector<Record> upState) : Character(id), m_up(std::move(upState)) {}
    Type type() const override { return Type::Button; }
    const std::vector<Record> &upState() const { return m_up; }

private:
    std::vector<Record> m_up;
};

} // namespace swf
