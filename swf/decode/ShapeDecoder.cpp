#include "decode/ShapeDecoder.h"

#include "character/BitmapCharacter.h"

namespace swf {

namespace {

// A shape tag can hold at most (tag bits / 6) edges; this caps what a
// hostile file can make us allocate well below that.
constexpr qsizetype kMaxEdges = 1 << 21;

Qt::PenCapStyle capStyle(unsigned code)
{
    switch (code) {
    case 1: return Qt::FlatCap;
    case 2: return Qt::SquareCap;
    default: return Qt::RoundCap;
    }
}

Qt::PenJoinStyle joinStyle(unsigned code)
{
    switch (code) {
    case 1: return Qt::BevelJoin;
    case 2: return Qt::MiterJoin;
    default: return Qt::RoundJoin;
    }
}

} // namespace

ShapeDecoder::ShapeDecoder(BitReader &reader, int shapeVersion, const DecodeContext &context)
    : m_reader(reader), m_version(shapeVersion), m_context(context)
{
}

int ShapeDecoder::styleCount(std::size_t smallestStyleBytes)
{
    int count = m_reader.u8();
    if (count == 0xff && m_version >= 2)
        count = m_reader.u16();
    if (std::size_t(count) * smallestStyleBytes > m_reader.remaining())
        throw DecodeError("style count larger than the tag");
    return count;
}

QColor ShapeDecoder::color()
{
    return m_version >= 3 ? m_reader.rgba() : m_reader.rgb();
}

Gradient ShapeDecoder::gradient(int type)
{
    Gradient g;
    g.kind = type == 0x10 ? Gradient::Kind::Linear
           : type == 0x13 ? Gradient::Kind::Focal
                          : Gradient::Kind::Radial;
    g.matrix = m_reader.matrix();
    const unsigned spread = m_reader.ub(2);
    g.spread = spread == 1 ? Gradient::Spread::Reflect
             : spread == 2 ? Gradient::Spread::Repeat
                           : Gradient::Spread::Pad;
    g.linearRgb = m_reader.ub(2) == 1;
    const int count = int(m_reader.ub(4));
    for (int i = 0; i < count; ++i) {
        Gradient::Stop stop;
        stop.ratio = m_reader.u8() / 255.0;
        stop.color = color();
        g.stops.append(stop);
    }
    if (type == 0x13)
        g.focal = m_reader.fixed8();
    return g;
}

void ShapeDecoder::setBitmap(FillStyle &style, int type, int bitmapId)
{
    style.kind = FillStyle::Kind::Bitmap;
    style.bitmapRepeat = type == 0x40 || type == 0x42;
    style.bitmapSmooth = type == 0x40 || type == 0x41;
    if (m_context.dictionary)
        style.bitmap = std::dynamic_pointer_cast<const BitmapCharacter>(m_context.dictionary->value(bitmapId));
}

FillStyle ShapeDecoder::fillStyle()
{
    FillStyle style;
    const int type = m_reader.u8();
    switch (type) {
    case 0x00:
        style.kind = FillStyle::Kind::Solid;
        style.color = color();
        break;
    case 0x10: case 0x12: case 0x13:
        style.kind = FillStyle::Kind::Gradient;
        style.gradient = gradient(type);
        break;
    case 0x40: case 0x41: case 0x42: case 0x43: {
        const int id = m_reader.u16();
        style.bitmapMatrix = m_reader.matrix();
        setBitmap(style, type, id);
        break;
    }
    default:
        throw DecodeError("unknown fill style type");
    }
    return style;
}

QVector<FillStyle> ShapeDecoder::fillStyles()
{
    // The smallest fill style: a gradient without stops (type, matrix, count).
    const int count = styleCount(3);
    QVector<FillStyle> styles;
    styles.reserve(count);
    for (int i = 0; i < count; ++i)
        styles.append(fillStyle());
    return styles;
}

void ShapeDecoder::lineStyle2Flags(LineStyle &style, bool &hasFill)
{
    style.startCap = capStyle(m_reader.ub(2));
    const unsigned join = m_reader.ub(2);
    style.join = joinStyle(join);
    hasFill = m_reader.flag();
    style.noHScale = m_reader.flag();
    style.noVScale = m_reader.flag();
    m_reader.ub(1);                  // pixel hinting
    m_reader.ub(5);
    m_reader.ub(1);                  // no close
    style.endCap = capStyle(m_reader.ub(2));
    if (join == 2)
        style.miterLimit = m_reader.u16() / 256.0;
}

LineStyle ShapeDecoder::lineStyle()
{
    LineStyle style;
    style.width = m_reader.u16();
    if (m_version < 4) {
        style.color = color();
        return style;
    }
    bool hasFill = false;
    lineStyle2Flags(style, hasFill);
    if (hasFill) {
        style.hasFill = true;
        style.fill = fillStyle();
        style.color = style.fill.color;
    } else {
        style.color = m_reader.rgba();
    }
    return style;
}

QVector<LineStyle> ShapeDecoder::lineStyles()
{
    const int count = styleCount(2 + (m_version >= 3 ? 4 : 3));
    QVector<LineStyle> styles;
    styles.reserve(count);
    for (int i = 0; i < count; ++i)
        styles.append(lineStyle());
    return styles;
}

void ShapeDecoder::morphFillStyle(FillStyle &start, FillStyle &end)
{
    const int type = m_reader.u8();
    switch (type) {
    case 0x00:
        start.kind = end.kind = FillStyle::Kind::Solid;
        start.color = m_reader.rgba();
        end.color = m_reader.rgba();
        break;
    case 0x10: case 0x12: case 0x13: {
        start.kind = end.kind = FillStyle::Kind::Gradient;
        Gradient &a = start.gradient, &b = end.gradient;
        a.kind = b.kind = type == 0x10 ? Gradient::Kind::Linear
                        : type == 0x13 ? Gradient::Kind::Focal
                                       : Gradient::Kind::Radial;
        a.matrix = m_reader.matrix();
        b.matrix = m_reader.matrix();
        // The count byte carries spread and interpolation in its high bits,
        // as in a plain gradient (zero in the first morph shapes).
        const unsigned spread = m_reader.ub(2);
        a.spread = b.spread = spread == 1 ? Gradient::Spread::Reflect
                            : spread == 2 ? Gradient::Spread::Repeat
                                          : Gradient::Spread::Pad;
        a.linearRgb = b.linearRgb = m_reader.ub(2) == 1;
        const int count = int(m_reader.ub(4));
        for (int i = 0; i < count; ++i) {
            Gradient::Stop s, e;
            s.ratio = m_reader.u8() / 255.0;
            s.color = m_reader.rgba();
            e.ratio = m_reader.u8() / 255.0;
            e.color = m_reader.rgba();
            a.stops.append(s);
            b.stops.append(e);
        }
        if (type == 0x13) {
            a.focal = m_reader.fixed8();
            b.focal = m_reader.fixed8();
        }
        break;
    }
    case 0x40: case 0x41: case 0x42: case 0x43: {
        const int id = m_reader.u16();
        start.bitmapMatrix = m_reader.matrix();
        end.bitmapMatrix = m_reader.matrix();
        setBitmap(start, type, id);
        setBitmap(end, type, id);
        break;
    }
    default:
        throw DecodeError("unknown morph fill style type");
    }
}

void ShapeDecoder::morphFillStyles(QVector<FillStyle> &start, QVector<FillStyle> &end)
{
    const int count = styleCount(4);         // a gradient without stops
    start.resize(count);
    end.resize(count);
    for (int i = 0; i < count; ++i)
        morphFillStyle(start[i], end[i]);
}

void ShapeDecoder::morphLineStyles(QVector<LineStyle> &start, QVector<LineStyle> &end, bool lineStyle2)
{
    const int count = styleCount(lineStyle2 ? 6 : 12);
    start.resize(count);
    end.resize(count);
    for (int i = 0; i < count; ++i) {
        LineStyle &a = start[i], &b = end[i];
        a.width = m_reader.u16();
        b.width = m_reader.u16();
        bool hasFill = false;
        if (lineStyle2) {
            lineStyle2Flags(a, hasFill);
            const double width = b.width;
            b = a;
            b.width = width;
        }
        if (hasFill) {
            a.hasFill = b.hasFill = true;
            morphFillStyle(a.fill, b.fill);
            a.color = a.fill.color;
            b.color = b.fill.color;
        } else {
            a.color = m_reader.rgba();
            b.color = m_reader.rgba();
        }
    }
}

void ShapeDecoder::records(int fillBits, int lineBits, QVector<StyleGroup> *groups,
                           QVector<ShapeEdge> &edges, bool keepUnstyled)
{
    QPointF pen(0, 0);
    int group = groups ? int(groups->size()) - 1 : 0;
    int fill0 = 0, fill1 = 0, line = 0;
    for (;;) {
        if (m_reader.flag()) {
            ShapeEdge e;
            e.from = pen;
            const bool straight = m_reader.flag();
            const int bits = int(m_reader.ub(4)) + 2;
            if (straight) {
                double dx = 0, dy = 0;
                if (m_reader.flag()) {
                    dx = m_reader.sb(bits);
                    dy = m_reader.sb(bits);
                } else if (m_reader.flag()) {
                    dy = m_reader.sb(bits);
                } else {
                    dx = m_reader.sb(bits);
                }
                e.to = pen + QPointF(dx, dy);
            } else {
                const double cx = m_reader.sb(bits), cy = m_reader.sb(bits);
                const double ax = m_reader.sb(bits), ay = m_reader.sb(bits);
                e.curve = true;
                e.control = pen + QPointF(cx, cy);
                e.to = e.control + QPointF(ax, ay);
            }
            pen = e.to;
            if (keepUnstyled || fill0 || fill1 || line) {
                if (edges.size() >= kMaxEdges)
                    throw DecodeError("shape has too many edges");
                e.group = group;
                e.fill0 = fill0;
                e.fill1 = fill1;
                e.line = line;
                edges.append(e);
            }
            continue;
        }
        const bool newStyles = m_reader.flag();
        const bool hasLine = m_reader.flag();
        const bool hasFill1 = m_reader.flag();
        const bool hasFill0 = m_reader.flag();
        const bool hasMove = m_reader.flag();
        if (!newStyles && !hasLine && !hasFill1 && !hasFill0 && !hasMove)
            return;
        if (hasMove) {
            const int bits = int(m_reader.ub(5));
            const double x = m_reader.sb(bits);
            const double y = m_reader.sb(bits);
            pen = QPointF(x, y);
        }
        const int newFill0 = hasFill0 ? int(m_reader.ub(fillBits)) : fill0;
        const int newFill1 = hasFill1 ? int(m_reader.ub(fillBits)) : fill1;
        const int newLine = hasLine ? int(m_reader.ub(lineBits)) : line;
        if (newStyles) {
            if (!groups)
                throw DecodeError("new styles where the shape has none");
            // The indices read in the same record refer to the new arrays;
            // any style not named there is cleared.
            StyleGroup next;
            next.fills = fillStyles();
            next.lines = lineStyles();
            groups->append(next);
            group = int(groups->size()) - 1;
            fillBits = int(m_reader.ub(4));
            lineBits = int(m_reader.ub(4));
            fill0 = hasFill0 ? newFill0 : 0;
            fill1 = hasFill1 ? newFill1 : 0;
            line = hasLine ? newLine : 0;
        } else {
            fill0 = newFill0;
            fill1 = newFill1;
            line = newLine;
        }
    }
}

void ShapeDecoder::shapeWithStyle(QVector<StyleGroup> &groups, QVector<ShapeEdge> &edges)
{
    StyleGroup first;
    first.fills = fillStyles();
    first.lines = lineStyles();
    groups.append(first);
    const int fillBits = int(m_reader.ub(4));
    const int lineBits = int(m_reader.ub(4));
    records(fillBits, lineBits, &groups, edges, false);
}

QVector<ShapeEdge> ShapeDecoder::shape(bool keepUnstyled)
{
    m_reader.align();
    const int fillBits = int(m_reader.ub(4));
    const int lineBits = int(m_reader.ub(4));
    QVector<ShapeEdge> edges;
    records(fillBits, lineBits, nullptr, edges, keepUnstyled);
    return edges;
}

} // namespace swf
