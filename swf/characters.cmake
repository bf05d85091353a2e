# The drawable characters (shapes, morphs, bitmaps, fonts, text), added to
# ambrelia_swf by the folder's CMakeLists.txt.
set(SWF_CHARACTER_SOURCES
    BitmapCharacter.cpp BitmapCharacter.h
    BitmapDecoder.cpp BitmapDecoder.h
    CharacterDecoder.cpp
    CoverageFill.cpp CoverageFill.h
    DeviceFont.cpp DeviceFont.h
    EditTextCharacter.cpp EditTextCharacter.h
    FillStyle.cpp FillStyle.h
    FontCharacter.cpp FontCharacter.h
    Gradient.cpp Gradient.h
    HtmlText.cpp HtmlText.h
    Interpolation.h
    LineStyle.cpp LineStyle.h
    MorphShapeCharacter.cpp MorphShapeCharacter.h
    RasterCache.cpp RasterCache.h
    ShapeCharacter.cpp ShapeCharacter.h
    ShapeDecoder.cpp ShapeDecoder.h
    ShapeDrawing.cpp ShapeDrawing.h
    ShapeEdge.h
    TextCharacter.cpp TextCharacter.h
    TextDecoder.cpp TextDecoder.h
)
