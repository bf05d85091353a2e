#include "StoryBook.h"

namespace StoryBook {

std::vector<Story> all()
{
    return {seme()};
}

} // namespace StoryBook
