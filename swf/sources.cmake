# The engine's own sources (everything but the drawable characters), listed
# once for the library and for the sanitizer build of the fuzz target.
set(SWF_ENGINE_SOURCES
    ActionDecoder.cpp ActionDecoder.h
    BitReader.cpp BitReader.h
    ButtonCharacter.h
    Character.h CharacterDecoder.h
    Clip.cpp Clip.h
    DecodeError.h
    Filter.cpp Filter.h
    FrameDamage.cpp FrameDamage.h
    Decompress.cpp Decompress.h
    Movie.h MovieDecoder.cpp MovieDecoder.h MovieInfo.h
    PixelRect.h
    Player.cpp Player.h
    Records.h
    Renderer.cpp Renderer.h
    SpriteCharacter.h
    TagNames.cpp TagNames.h
    Timeline.h
    TintBlend.cpp TintBlend.h
)
