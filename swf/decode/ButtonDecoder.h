#pragma once

#include "Character.h"
#include "decode/BitReader.h"

namespace swf::buttondecoder {

// DefineButton (tag 7) or DefineButton2 (tag 34): the records of every
// state and the actions, kept as bytecode with the transitions and keys
// they answer. DefineButton's one action list answers the release.
// Throws DecodeError for a malformed body.
CharacterPtr decodeButton(int tagCode, BitReader &body);

// DefineButtonCxform: `button` with the colour transform of the body put
// on every record; DefineButton2, whose records carry their own, is left
// as it is. Null when `button` is not a button.
CharacterPtr withCxform(const CharacterPtr &button, BitReader &body);

} // namespace swf::buttondecoder
