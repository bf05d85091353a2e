#pragma once

#include "decode/BitReader.h"
#include "display/Timeline.h"

#include <vector>

namespace swf {

// Decodes the body of a DoAction tag into the timeline actions the engine
// runs. The script is read straight through: branches are not followed, and
// actions other than the timeline ones are skipped by their lengths. A
// GotoFrame2 takes its frame from the ActionPush before it.
std::vector<Action> decodeActions(BitReader &body);

} // namespace swf
