#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// A story's own music, one loop of the movie long: a soft melody on a
// pentatonic scale over a bass note that changes with each scene, and a
// small bell at each change of scene. Everything is synthesised from the
// story's name (its key, its scale and its tune), so each story has its own
// and making it again gives the same samples. Quiet: it sits well under
// the error sound, which must stay clear above it.
class StoryMusic
{
public:
    static constexpr int kRate = 11025;

    // Mono samples for the whole loop; the notes that ring past its end
    // come back in at its start, so the loop has no seam.
    static std::vector<int16_t> samples(const QString &storyName);
};
