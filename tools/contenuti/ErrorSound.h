#pragma once

#include <cstdint>
#include <vector>

// The game's "uh-oh" on a wrong order: two soft notes falling a fourth,
// each a sine with a little warmth from its overtones, a gentle attack
// and a long fade, so it tells the child "not yet" without scolding.
class ErrorSound
{
public:
    static constexpr int kSampleRate = 22050;
    static std::vector<int16_t> samples();
};
