#include "CharacterDecoder.h"

// Placeholder until the drawable characters land: no tag is decoded yet.
namespace swf {

CharacterPtr decodeCharacterTag(int, BitReader &, DecodeContext &) { return nullptr; }
bool isCharacterTag(int) { return false; }

} // namespace swf
