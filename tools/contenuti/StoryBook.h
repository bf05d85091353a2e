#pragma once

#include "Story.h"

#include <vector>

// The stories that ship with the game, one source file each in storie/.
namespace StoryBook {

std::vector<Story> all();

Story seme();
Story pupazzo();
Story torta();
Story giornata();
Story mela();
Story bruco();
Story castello();
Story vestirsi();

} // namespace StoryBook
