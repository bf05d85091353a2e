# The drawable characters (shapes, morphs, bitmaps, fonts, text), added to
# ambrelia_swf by the folder's CMakeLists.txt.
set(SWF_CHARACTER_SOURCES
    CharacterDecoder.cpp
)
