#include "CharacterDecoder.h"

#include "ShapeCharacter.h"
#include "ShapeDecoder.h"

namespace swf {

namespace {

enum TagCode {
    DefineShape = 2,
    DefineShape2 = 22,
    DefineShape3 = 32,
    DefineShape4 = 83,
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

} // namespace

CharacterPtr decodeCharacterTag(int tagCode, BitReader &body, DecodeContext &context)
{
    switch (tagCode) {
    case DefineShape:
    case DefineShape2:
    case DefineShape3:
    case DefineShape4:
        return decodeShape(tagCode, body, context);
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
        return true;
    default:
        return false;
    }
}

} // namespace swf
