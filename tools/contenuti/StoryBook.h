#pragma once

#include "Story.h"

#include <vector>

// The stories that ship with the game, one source file each in storie/.
namespace StoryBook {

std::vector<Story> all();

Story seme();

} // namespace StoryBook
