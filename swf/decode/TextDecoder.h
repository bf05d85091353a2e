#pragma once

#include "decode/BitReader.h"
#include "decode/CharacterDecoder.h"

// The font and text tags. Each takes the body after the tag header.
namespace swf::textdecoder {

CharacterPtr decodeFont(BitReader &body, const DecodeContext &context);          // DefineFont
CharacterPtr decodeFont2(BitReader &body, const DecodeContext &context, bool font3);
// DefineFont4: OpenType (CFF) data, read when a text field draws with it.
CharacterPtr decodeFont4(BitReader &body, const DecodeContext &context);
// DefineFontInfo 1 and 2: replaces the font in the dictionary with one
// carrying the new codes; returns nothing.
void decodeFontInfo(BitReader &body, DecodeContext &context, bool second);
CharacterPtr decodeText(BitReader &body, const DecodeContext &context, bool withAlpha);
CharacterPtr decodeEditText(BitReader &body, const DecodeContext &context);

} // namespace swf::textdecoder
