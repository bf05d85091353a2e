#include "StoryBook.h"

namespace StoryBook {

std::vector<Story> all()
{
    return {seme(), pupazzo(), torta(), giornata(), mela(), bruco(), castello(), vestirsi()};
}

} // namespace StoryBook
