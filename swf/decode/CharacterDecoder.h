#pragma once

#include "decode/BitReader.h"
#include "Character.h"

#include <QByteArray>

namespace swf {

// What decoding one definition tag may need from the tags before it.
struct DecodeContext
{
    int version = 8;
    QByteArray jpegTables;           // from the JPEGTables tag, for DefineBits
    Dictionary *dictionary = nullptr; // characters defined so far
};

// Decodes the drawable definition tags: shapes (DefineShape 1-4), morph
// shapes (1, 2), bitmaps (DefineBits, JPEG2, JPEG3, JPEG4, Lossless, Lossless2),
// fonts (DefineFont 1-3, DefineFontInfo 1-2 amending a font), static text
// (DefineText 1, 2) and edit text (DefineEditText).
//
// Returns the new character (the caller puts it into the dictionary), or
// null for a tag it does not handle or that only amends an existing
// character. Throws DecodeError for a malformed body.
CharacterPtr decodeCharacterTag(int tagCode, BitReader &body, DecodeContext &context);

// True for the tag codes decodeCharacterTag handles.
bool isCharacterTag(int tagCode);

} // namespace swf
