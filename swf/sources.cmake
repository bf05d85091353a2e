# The movie engine's sources, room by room. Paths are relative to swf/.
set(SWF_SOURCES
    # The public face: a movie, a player of it, the records both speak in.
    Character.h
    Movie.h
    MovieInfo.h
    PictureLimit.h
    Player.cpp Player.h
    Records.h
    # decode/: bytes to tags, characters and timelines.
    decode/BitReader.cpp decode/BitReader.h
    decode/BitmapDecoder.cpp decode/BitmapDecoder.h
    decode/ButtonDecoder.cpp decode/ButtonDecoder.h
    decode/CharacterDecoder.cpp decode/CharacterDecoder.h
    decode/DecodeError.h
    decode/Decompress.cpp decode/Decompress.h
    decode/MovieDecoder.cpp decode/MovieDecoder.h
    decode/ShapeDecoder.cpp decode/ShapeDecoder.h
    decode/SoundTagDecoder.cpp decode/SoundTagDecoder.h
    decode/TagNames.cpp decode/TagNames.h
    decode/TextDecoder.cpp decode/TextDecoder.h
    # character/: what the dictionary holds (shapes, morphs, bitmaps, fonts,
    # texts, sprites, buttons) and how each is drawn.
    character/BitmapCharacter.cpp character/BitmapCharacter.h
    character/ButtonCharacter.cpp character/ButtonCharacter.h
    character/DeviceFont.cpp character/DeviceFont.h
    character/EditTextCharacter.cpp character/EditTextCharacter.h
    character/FillStyle.cpp character/FillStyle.h
    character/FontCharacter.cpp character/FontCharacter.h
    character/HtmlText.cpp character/HtmlText.h
    character/Interpolation.h
    character/LineStyle.cpp character/LineStyle.h
    character/MorphShapeCharacter.cpp character/MorphShapeCharacter.h
    character/ShapeCharacter.cpp character/ShapeCharacter.h
    character/ShapeEdge.h
    character/SpriteCharacter.h
    character/TextCharacter.cpp character/TextCharacter.h
    # display/: timelines being played, their display lists, and the
    # buttons the pointer drives.
    display/ButtonInstance.cpp display/ButtonInstance.h
    display/ButtonTracker.cpp display/ButtonTracker.h
    display/Clip.cpp display/Clip.h
    display/HitTest.cpp display/HitTest.h
    display/ClipListener.h
    display/ClipWorld.h
    display/Timeline.h
    # render/: pixels (the display list walk, anti-aliased fills, gradients,
    # the raster cache, filters, damage between frames).
    render/CoverageFill.cpp render/CoverageFill.h
    render/Filter.cpp render/Filter.h
    render/FrameDamage.cpp render/FrameDamage.h
    render/Gradient.cpp render/Gradient.h
    render/PixelRect.h
    render/RasterCache.cpp render/RasterCache.h
    render/Renderer.cpp render/Renderer.h
    render/ShapeDrawing.cpp render/ShapeDrawing.h
    render/TintBlend.cpp render/TintBlend.h
    # sound/: the codecs (PCM, ADPCM, MP3 through libmpg123), the voices that
    # play event sounds and streams, and the mixer to 44.1 kHz stereo.
    sound/AdpcmDecoder.cpp sound/AdpcmDecoder.h
    sound/Mp3Decoder.cpp sound/Mp3Decoder.h
    sound/PcmDecoder.cpp sound/PcmDecoder.h
    sound/SoundData.h
    sound/SoundFormat.h
    sound/SoundInfo.h
    sound/SoundMixer.cpp sound/SoundMixer.h
    sound/Voice.cpp sound/Voice.h
    # script/: the interpreter of the movie's actions. Values and their
    # conversions, objects and the heap they live on, the action loop and
    # how names find variables, the engine that runs what timelines queue,
    # MovieClipObject (the bridge to the clips), then the built-in objects.
    script/ArrayObject.cpp script/ArrayObject.h
    script/Context.h
    script/Conversions.cpp script/Conversions.h
    script/Engine.cpp script/Engine.h
    script/Function.h
    script/Heap.cpp script/Heap.h
    script/Interpreter.cpp script/Interpreter.h
    script/Limits.h
    script/MovieClipObject.cpp script/MovieClipObject.h
    script/Object.cpp script/Object.h
    script/Operators.cpp script/Operators.h
    script/Scope.h
    script/ScriptFunction.cpp script/ScriptFunction.h
    script/ScriptHost.h
    script/SuperObject.h
    script/Value.h
    script/TextFieldObject.cpp script/TextFieldObject.h
    script/Variables.cpp script/Variables.h
    script/WrapperObject.cpp script/WrapperObject.h
    script/Builtins.h
    script/ArrayClass.cpp
    script/BooleanClass.cpp
    script/ColorClass.cpp
    script/DateClass.cpp
    script/FunctionClass.cpp
    script/Globals.cpp
    script/InputObjects.cpp
    script/MathObject.cpp
    script/MovieClipClass.cpp
    script/NumberClass.cpp
    script/ObjectClass.cpp
    script/SoundClass.cpp
    script/StringClass.cpp
)
