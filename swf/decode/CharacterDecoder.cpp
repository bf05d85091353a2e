#include "decode/CharacterDecoder.h"

#include "character/BitmapCharacter.h"
#include "decode/BitmapDecoder.h"
#include "character/MorphShapeCharacter.h"
#include "character/ShapeCharacter.h"
#include "decode/ShapeDecoder.h"
#include "decode/TextDecoder.h"

namespace swf {

namespace {

enum TagCode {
    DefineShape = 2,
    DefineShape2 = 22,
    DefineShape3 = 32,
    DefineShape4 = 83,
    DefineMorphShape = 46,
    DefineMorphShape2 = 84,
    DefineBits = 6,
    DefineBitsJPEG2 = 21,
    DefineBitsJPEG3 = 35,
    DefineBitsJPEG4 = 90,
    DefineBitsLossless = 20,
    DefineBitsLossless2 = 36,
    DefineFont = 10,
    DefineFont2 = 48,
    DefineFont3 = 75,
    DefineFont4 = 91,
    DefineFontInfo = 13,
    DefineFontInfo2 = 62,
    DefineText = 11,
    DefineText2 = 33,
    DefineEditText = 37,
};

CharacterPtr decodeShape(int tagCode, BitReader &body, const DecodeContext &context)
{
    const int version = tagCode == DefineShape    ? 1
                      : tagCode == DefineShape2   ? 2
                      : tagCode == DefineShape3   ? 3
                                                  : 4;
    const int id = body.u16();
    const QRectF bounds = body.rect();
    Qt::FillRule rule = Qt::OddEvenFill;
    if (version == 4) {
        body.rect();                 // edge bounds, without the strokes
        body.ub(5);
        if (body.flag())
            rule = Qt::WindingFill;
        body.ub(2);                  // non-scaling and scaling strokes present
    }
    QVector<StyleGroup> groups;
    QVector<ShapeEdge> edges;
    ShapeDecoder(body, version, context).shapeWithStyle(groups, edges);
    return std::make_shared<ShapeCharacter>(id, bounds, ShapeDrawing(groups, edges, rule));
}

CharacterPtr decodeMorphShape(int tagCode, BitReader &body, const DecodeContext &context)
{
    const bool second = tagCode == DefineMorphShape2;
    const int id = body.u16();
    MorphShapeCharacter::Definition d;
    d.startBounds = body.rect();
    d.endBounds = body.rect();
    if (second) {
        body.rect();                 // edge bounds, without the strokes
        body.rect();
        body.u8();                   // stroke scaling flags
    }
    const std::uint32_t offset = body.u32();
    const std::size_t endEdgesAt = body.position() + offset;
    ShapeDecoder decoder(body, 3, context);
    decoder.morphFillStyles(d.startFills, d.endFills);
    decoder.morphLineStyles(d.startLines, d.endLines, second);
    d.startEdges = decoder.shape(true);
    // The offset says where the end edges start; files that leave it 0 or
    // point it outside the tag have them right after the start edges.
    if (offset != 0 && endEdgesAt < body.size())
        body.seek(endEdgesAt);
    d.endEdges = decoder.shape(true);
    return std::make_shared<MorphShapeCharacter>(id, std::move(d));
}

CharacterPtr decodeBitmap(int tagCode, BitReader &body, const DecodeContext &context)
{
    using namespace bitmapdecoder;
    const int id = body.u16();
    QImage image;
    switch (tagCode) {
    case DefineBits:
        image = decodePicture(body.readRest(), context.jpegTables);
        break;
    case DefineBitsJPEG2:
        image = decodePicture(body.readRest());
        break;
    case DefineBitsJPEG3:
    case DefineBitsJPEG4: {
        const std::uint32_t alphaOffset = body.u32();
        if (tagCode == DefineBitsJPEG4)
            body.u16();              // deblocking strength, not applied
        if (alphaOffset > body.remaining())
            throw DecodeError("bitmap alpha offset past the tag");
        const QByteArray data = body.readBytes(alphaOffset);
        image = decodePictureWithAlpha(data, body.readRest());
        break;
    }
    default:
        image = decodeLossless(body, tagCode == DefineBitsLossless2);
        break;
    }
    return std::make_shared<BitmapCharacter>(id, image);
}

} // namespace

CharacterPtr decodeCharacterTag(int tagCode, BitReader &body, DecodeContext &context)
{
    switch (tagCode) {
    case DefineShape:
    case DefineShape2:
    case DefineShape3:
    case DefineShape4:
        return decodeShape(tagCode, body, context);
    case DefineMorphShape:
    case DefineMorphShape2:
        return decodeMorphShape(tagCode, body, context);
    case DefineBits:
    case DefineBitsJPEG2:
    case DefineBitsJPEG3:
    case DefineBitsJPEG4:
    case DefineBitsLossless:
    case DefineBitsLossless2:
        return decodeBitmap(tagCode, body, context);
    case DefineFont:
        return textdecoder::decodeFont(body, context);
    case DefineFont2:
    case DefineFont3:
        return textdecoder::decodeFont2(body, context, tagCode == DefineFont3);
    case DefineFont4:
        return textdecoder::decodeFont4(body, context);
    case DefineFontInfo:
    case DefineFontInfo2:
        textdecoder::decodeFontInfo(body, context, tagCode == DefineFontInfo2);
        return nullptr;
    case DefineText:
    case DefineText2:
        return textdecoder::decodeText(body, context, tagCode == DefineText2);
    case DefineEditText:
        return textdecoder::decodeEditText(body, context);
    default:
        return nullptr;
    }
}

bool isCharacterTag(int tagCode)
{
    switch (tagCode) {
    case DefineShape:
    case DefineShape2:
    case DefineShape3:
    case DefineShape4:
    case DefineMorphShape:
    case DefineMorphShape2:
    case DefineBits:
    case DefineBitsJPEG2:
    case DefineBitsJPEG3:
    case DefineBitsJPEG4:
    case DefineBitsLossless:
    case DefineBitsLossless2:
    case DefineFont:
    case DefineFont2:
    case DefineFont3:
    case DefineFont4:
    case DefineFontInfo:
    case DefineFontInfo2:
    case DefineText:
    case DefineText2:
    case DefineEditText:
        return true;
    default:
        return false;
    }
}

} // namespace swf
