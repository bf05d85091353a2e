#include "character/ButtonCharacter.h"

namespace swf {

std::vector<const ButtonCharacter::Record *> ButtonCharacter::state(int state) const
{
    std::vector<const Record *> out;
    for (const Record &record : m_definition.records) {
        if (!(record.states & state))
            continue;
        // As on a timeline, a second record at a taken depth is not placed.
        if (!out.empty() && out.back()->depth == record.depth)
            continue;
        out.push_back(&record);
    }
    return out;
}

} // namespace swf
