#pragma once

#include "decode/BitReader.h"
#include "decode/CharacterDecoder.h"
#include "render/ShapeDrawing.h"

namespace swf {

// Reads the shape structures shared by shapes, morph shapes and glyphs:
// style arrays and shape records. `shapeVersion` is 1 to 4 as in DefineShape
// to DefineShape4; it decides colours with alpha (3 and up), extended style
// counts (2 and up) and LINESTYLE2 (4).
class ShapeDecoder
{
public:
    ShapeDecoder(BitReader &reader, int shapeVersion, const DecodeContext &context);

    // SHAPEWITHSTYLE: the first style group, any later ones, and the edges.
    void shapeWithStyle(QVector<StyleGroup> &groups, QVector<ShapeEdge> &edges);
    // SHAPE: edges whose styles come from elsewhere (glyphs, morph shapes).
    // Edges without any style are kept only with `keepUnstyled`, which
    // morph shapes need to pair their start and end edges.
    QVector<ShapeEdge> shape(bool keepUnstyled);

    // The morph shapes' style arrays, as start and end lists of equal length.
    void morphFillStyles(QVector<FillStyle> &start, QVector<FillStyle> &end);
    void morphLineStyles(QVector<LineStyle> &start, QVector<LineStyle> &end, bool lineStyle2);

private:
    int styleCount(std::size_t smallestStyleBytes);
    QColor color();
    FillStyle fillStyle();
    QVector<FillStyle> fillStyles();
    LineStyle lineStyle();
    QVector<LineStyle> lineStyles();
    Gradient gradient(int type);
    void setBitmap(FillStyle &style, int type, int bitmapId);
    void lineStyle2Flags(LineStyle &style, bool &hasFill);
    void morphFillStyle(FillStyle &start, FillStyle &end);
    void records(int fillBits, int lineBits, QVector<StyleGroup> *groups, QVector<ShapeEdge> &edges,
                 bool keepUnstyled);

    BitReader &m_reader;
    int m_version;
    const DecodeContext &m_context;
};

} // namespace swf
