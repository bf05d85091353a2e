#include "SwfWriter.h"

#include "AdpcmEncoder.h"
#include "VectorShape.h"

#include <QtEndian>
#include <zlib.h>

#include <cmath>

namespace {

enum TagCode {
    TagEnd = 0,
    TagShowFrame = 1,
    TagSetBackgroundColor = 9,
    TagPlaceObject2 = 26,
    TagRemoveObject2 = 28,
    TagDefineShape3 = 32,
    TagSoundStreamBlock = 19,
    TagDefineBitsLossless2 = 36,
    TagDefineSprite = 39,
    TagSoundStreamHead2 = 45,
    TagDefineMorphShape = 46,
    TagFileAttributes = 69,
};

void writeRect(BitWriter &out, int xMin, int xMax, int yMin, int yMax)
{
    const int bits = std::max({BitWriter::signedBits(xMin), BitWriter::signedBits(xMax),
                               BitWriter::signedBits(yMin), BitWriter::signedBits(yMax)});
    out.align();
    out.writeUB(uint32_t(bits), 5);
    out.writeSB(xMin, bits);
    out.writeSB(xMax, bits);
    out.writeSB(yMin, bits);
    out.writeSB(yMax, bits);
    out.align();
}

void writeRect(BitWriter &out, const QRect &r)
{
    writeRect(out, r.left(), r.right(), r.top(), r.bottom());
}

void writeMatrix(BitWriter &out, const SwfMatrix &m)
{
    out.align();
    out.writeUB(m.hasScale(), 1);
    if (m.hasScale()) {
        const int bits = std::max(BitWriter::signedBits(m.scaleX), BitWriter::signedBits(m.scaleY));
        out.writeUB(uint32_t(bits), 5);
        out.writeSB(m.scaleX, bits);
        out.writeSB(m.scaleY, bits);
    }
    out.writeUB(m.hasRotate(), 1);
    if (m.hasRotate()) {
        const int bits = std::max(BitWriter::signedBits(m.rotateSkew0), BitWriter::signedBits(m.rotateSkew1));
        out.writeUB(uint32_t(bits), 5);
        out.writeSB(m.rotateSkew0, bits);
        out.writeSB(m.rotateSkew1, bits);
    }
    // A zero translation is written with no bits at all.
    const int bits = (m.translateX || m.translateY)
        ? std::max(BitWriter::signedBits(m.translateX), BitWriter::signedBits(m.translateY)) : 0;
    out.writeUB(uint32_t(bits), 5);
    out.writeSB(m.translateX, bits);
    out.writeSB(m.translateY, bits);
    out.align();
}

void writeColorTransform(BitWriter &out, const SwfColorTransform &c)
{
    out.align();
    const bool add = c.hasAdd(), mult = c.hasMult();
    int bits = 1;
    for (int i = 0; i < 4; ++i) {
        if (mult)
            bits = std::max(bits, BitWriter::signedBits(c.mult[i]));
        if (add)
            bits = std::max(bits, BitWriter::signedBits(c.add[i]));
    }
    out.writeUB(add, 1);
    out.writeUB(mult, 1);
    out.writeUB(uint32_t(bits), 4);
    if (mult)
        for (int v : c.mult)
            out.writeSB(v, bits);
    if (add)
        for (int v : c.add)
            out.writeSB(v, bits);
    out.align();
}

void writeRgba(BitWriter &out, const QColor &c)
{
    out.writeU8(uint8_t(c.red()));
    out.writeU8(uint8_t(c.green()));
    out.writeU8(uint8_t(c.blue()));
    out.writeU8(uint8_t(c.alpha()));
}

QPoint twipsPoint(QPointF p)
{
    return QPoint(VectorShape::twips(p.x()), VectorShape::twips(p.y()));
}

// The gradient square spans -16384..16384 twips; this maps it onto the
// shape's gradient line (linear) or circle (radial).
SwfMatrix gradientMatrix(const Paint &paint)
{
    const QPoint a = twipsPoint(paint.start), b = twipsPoint(paint.end);
    QTransform t;
    if (paint.kind == Paint::Kind::Linear) {
        const double vx = b.x() - a.x(), vy = b.y() - a.y();
        t = QTransform(vx / 32768.0, vy / 32768.0, -vy / 32768.0, vx / 32768.0,
                       (a.x() + b.x()) / 2.0, (a.y() + b.y()) / 2.0);
    } else {
        const double r = std::hypot(b.x() - a.x(), b.y() - a.y()) / 16384.0;
        t = QTransform(r, 0, 0, r, a.x(), a.y());
    }
    return SwfMatrix::fromTransform(t);
}

bool hasFill(const VectorShape &s)
{
    return s.isClosed() && s.paint().kind != Paint::Kind::None;
}

// SWF puts a fill on the left (fill style 0) or the right (fill style 1)
// of each edge. With y pointing down, a contour that runs clockwise on
// screen has its inside on the right.
bool insideOnRight(const VectorShape &s)
{
    double area = 0;
    QPointF p = twipsPoint(s.start());
    for (const Segment &seg : s.segments()) {
        const QPointF q = twipsPoint(seg.to);
        area += p.x() * q.y() - q.x() * p.y();
        p = q;
    }
    return area > 0;
}

void writeEdges(BitWriter &out, const VectorShape &s)
{
    QPoint at = twipsPoint(s.start());
    for (const Segment &seg : s.segments()) {
        const QPoint to = twipsPoint(seg.to);
        out.writeUB(1, 1);   // edge record
        if (seg.curved) {
            const QPoint c = twipsPoint(seg.control);
            const int d[4] = {c.x() - at.x(), c.y() - at.y(), to.x() - c.x(), to.y() - c.y()};
            int bits = 2;
            for (int v : d)
                bits = std::max(bits, BitWriter::signedBits(v));
            out.writeUB(0, 1);
            out.writeUB(uint32_t(bits - 2), 4);
            for (int v : d)
                out.writeSB(v, bits);
        } else {
            const int dx = to.x() - at.x(), dy = to.y() - at.y();
            const int bits = std::max({2, BitWriter::signedBits(dx), BitWriter::signedBits(dy)});
            out.writeUB(1, 1);
            out.writeUB(uint32_t(bits - 2), 4);
            if (dx != 0 && dy != 0) {
                out.writeUB(1, 1);
                out.writeSB(dx, bits);
                out.writeSB(dy, bits);
            } else {
                out.writeUB(0, 1);
                out.writeUB(dx == 0, 1);   // vertical line
                out.writeSB(dx == 0 ? dy : dx, bits);
            }
        }
        at = to;
    }
}

void writeMoveTo(BitWriter &out, QPoint p)
{
    const int bits = std::max(BitWriter::signedBits(p.x()), BitWriter::signedBits(p.y()));
    out.writeUB(uint32_t(bits), 5);
    out.writeSB(p.x(), bits);
    out.writeSB(p.y(), bits);
}

// The edges of one contour: a style change that moves to its start and
// picks the styles (index 1 of each array, when there is one), the edges,
// and the end record.
void writeShapeRecords(BitWriter &out, const VectorShape &s, int fillBits, int lineBits,
                       bool withStyles)
{
    const bool fill = withStyles && hasFill(s);
    const bool right = fill && insideOnRight(s);
    const bool line = withStyles && s.strokeTwips() > 0;
    out.writeUB(0, 1);                 // non-edge record
    out.writeUB(0, 1);                 // no new styles
    out.writeUB(line, 1);
    out.writeUB(fill && right, 1);     // fill style 1
    out.writeUB(fill && !right, 1);    // fill style 0
    out.writeUB(1, 1);                 // move to
    writeMoveTo(out, twipsPoint(s.start()));
    if (fill && !right)
        out.writeUB(1, fillBits);
    if (fill && right)
        out.writeUB(1, fillBits);
    if (line)
        out.writeUB(1, lineBits);
    writeEdges(out, s);
    out.writeUB(0, 6);                 // end of shape
    out.align();
}

} // namespace

SwfWriter::SwfWriter(QSize stagePixels, double framesPerSecond, const QColor &background)
    : m_stage(stagePixels), m_fps(framesPerSecond)
{
    BitWriter attributes;
    attributes.writeU32(0);    // no network access, no AS3, no metadata
    writeTag(m_tags, TagFileAttributes, attributes.bytes());
    BitWriter colour;
    colour.writeU8(uint8_t(background.red()));
    colour.writeU8(uint8_t(background.green()));
    colour.writeU8(uint8_t(background.blue()));
    writeTag(m_tags, TagSetBackgroundColor, colour.bytes());
}

SwfWriter::~SwfWriter() = default;

// The format byte of a sound: codec, rate, 16-bit, channels.
static uint8_t soundFormat(int codec, int rate, int channels)
{
    const int rateBits = rate >= 44100 ? 3 : rate >= 22050 ? 2 : rate >= 11025 ? 1 : 0;
    return uint8_t((codec << 4) | (rateBits << 2) | 2 | (channels == 2 ? 1 : 0));
}

void SwfWriter::setStreamSound(const std::vector<int16_t> &samples, int rate, int channels)
{
    m_stream = samples;
    m_streamRate = rate;
    m_streamChannels = channels == 2 ? 2 : 1;
    m_streamWritten = 0;
    m_encoder = std::make_unique<AdpcmEncoder>(m_streamChannels, 4);
    BitWriter head;
    const uint8_t format = soundFormat(1, rate, m_streamChannels);
    head.writeU8(format & 0x0f);   // playback: the same rate and channels, 16-bit
    head.writeU8(format);
    head.writeU16(uint16_t(std::lround(rate / m_fps)));
    writeTag(m_tags, TagSoundStreamHead2, head.bytes());
}

void SwfWriter::writeStreamBlock()
{
    const int64_t total = int64_t(m_stream.size()) / m_streamChannels;
    if (!m_encoder || m_streamWritten >= total)
        return;
    // The frame's share of the stream, rounded so the blocks add up without
    // drift, then nudged by a sample or two to a length that ends on a
    // whole byte.
    const int64_t ideal = std::llround((m_frames + 1) * m_streamRate / m_fps) - m_streamWritten;
    int64_t count = std::max<int64_t>(1, ideal);
    for (int64_t d : {0, 1, -1, 2, -2, 3, -3}) {
        if (ideal + d >= 1 && m_encoder->fillsWholeBytes(ideal + d)) {
            count = ideal + d;
            break;
        }
    }
    count = std::min(count, total - m_streamWritten);
    const auto from = m_stream.begin() + std::ptrdiff_t(m_streamWritten * m_streamChannels);
    const std::vector<int16_t> block(from, from + std::ptrdiff_t(count * m_streamChannels));
    writeTag(m_tags, TagSoundStreamBlock, m_encoder->encode(block), true);
    m_streamWritten += count;
}

void SwfWriter::writeTag(BitWriter &out, int code, const QByteArray &body, bool longForm)
{
    if (body.size() < 63 && !longForm) {
        out.writeU16(uint16_t((code << 6) | body.size()));
    } else {
        out.writeU16(uint16_t((code << 6) | 0x3f));
        out.writeU32(uint32_t(body.size()));
    }
    out.writeBytes(body);
}

int SwfWriter::defineShape(const VectorShape &s)
{
    const int id = m_nextId++;
    BitWriter out;
    out.writeU16(uint16_t(id));
    writeRect(out, s.twipsBounds());

    const bool fill = hasFill(s);
    const bool line = s.strokeTwips() > 0;
    out.writeU8(fill ? 1 : 0);
    if (fill) {
        const Paint &p = s.paint();
        if (p.kind == Paint::Kind::Solid) {
            out.writeU8(0x00);
            writeRgba(out, p.color);
        } else {
            out.writeU8(p.kind == Paint::Kind::Linear ? 0x10 : 0x12);
            writeMatrix(out, gradientMatrix(p));
            out.writeUB(0, 2);     // pad spread
            out.writeUB(0, 2);     // normal RGB interpolation
            out.writeUB(2, 4);
            out.writeU8(0);
            writeRgba(out, p.color);
            out.writeU8(255);
            writeRgba(out, p.endColor);
        }
    }
    out.writeU8(line ? 1 : 0);
    if (line) {
        out.writeU16(uint16_t(s.strokeTwips()));
        writeRgba(out, s.strokeColor());
    }
    const int fillBits = fill ? 1 : 0, lineBits = line ? 1 : 0;
    out.writeUB(uint32_t(fillBits), 4);
    out.writeUB(uint32_t(lineBits), 4);
    writeShapeRecords(out, s, fillBits, lineBits, true);
    writeTag(m_tags, TagDefineShape3, out.bytes());
    return id;
}

int SwfWriter::defineMorphShape(const VectorShape &from, const VectorShape &to)
{
    const int id = m_nextId++;
    BitWriter out;
    out.writeU16(uint16_t(id));
    writeRect(out, from.twipsBounds());
    writeRect(out, to.twipsBounds());

    BitWriter styles;
    const bool fill = hasFill(from);
    const bool line = from.strokeTwips() > 0;
    styles.writeU8(fill ? 1 : 0);
    if (fill) {
        const Paint &a = from.paint(), &b = to.paint();
        if (a.kind == Paint::Kind::Solid) {
            styles.writeU8(0x00);
            writeRgba(styles, a.color);
            writeRgba(styles, b.color);
        } else {
            styles.writeU8(a.kind == Paint::Kind::Linear ? 0x10 : 0x12);
            writeMatrix(styles, gradientMatrix(a));
            writeMatrix(styles, gradientMatrix(b));
            styles.writeU8(2);
            styles.writeU8(0);
            writeRgba(styles, a.color);
            styles.writeU8(0);
            writeRgba(styles, b.color);
            styles.writeU8(255);
            writeRgba(styles, a.endColor);
            styles.writeU8(255);
            writeRgba(styles, b.endColor);
        }
    }
    styles.writeU8(line ? 1 : 0);
    if (line) {
        styles.writeU16(uint16_t(from.strokeTwips()));
        styles.writeU16(uint16_t(to.strokeTwips()));
        writeRgba(styles, from.strokeColor());
        writeRgba(styles, to.strokeColor());
    }
    const int fillBits = fill ? 1 : 0, lineBits = line ? 1 : 0;
    styles.writeUB(uint32_t(fillBits), 4);
    styles.writeUB(uint32_t(lineBits), 4);
    writeShapeRecords(styles, from, fillBits, lineBits, true);
    const QByteArray startPart = styles.bytes();

    // The end edges carry no styles: only the move to their start.
    BitWriter end;
    end.writeUB(0, 4);
    end.writeUB(0, 4);
    writeShapeRecords(end, to, 0, 0, false);

    out.writeU32(uint32_t(startPart.size()));   // offset from here to the end edges
    out.writeBytes(startPart);
    out.writeBytes(end.bytes());
    writeTag(m_tags, TagDefineMorphShape, out.bytes());
    return id;
}

int SwfWriter::defineBitmap(const QImage &image)
{
    const int id = m_nextId++;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QByteArray pixels;
    pixels.reserve(argb.width() * argb.height() * 4);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            pixels.append(char(qAlpha(line[x])));
            pixels.append(char(qRed(line[x])));
            pixels.append(char(qGreen(line[x])));
            pixels.append(char(qBlue(line[x])));
        }
    }
    uLongf packedSize = compressBound(uLong(pixels.size()));
    QByteArray packed(int(packedSize), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef *>(packed.data()), &packedSize,
              reinterpret_cast<const Bytef *>(pixels.constData()), uLong(pixels.size()), 9);
    packed.truncate(int(packedSize));

    BitWriter out;
    out.writeU16(uint16_t(id));
    out.writeU8(5);     // 32-bit ARGB
    out.writeU16(uint16_t(argb.width()));
    out.writeU16(uint16_t(argb.height()));
    out.writeBytes(packed);
    writeTag(m_tags, TagDefineBitsLossless2, out.bytes(), true);
    return id;
}

int SwfWriter::defineBitmapShape(int bitmapId, QSize pixels)
{
    const int id = m_nextId++;
    const int w = pixels.width() * 20, h = pixels.height() * 20;
    BitWriter out;
    out.writeU16(uint16_t(id));
    writeRect(out, 0, w, 0, h);
    out.writeU8(1);
    out.writeU8(0x41);    // clipped, smoothed bitmap
    out.writeU16(uint16_t(bitmapId));
    // Bitmap pixels are mapped to twips: one pixel is 20 twips.
    writeMatrix(out, SwfMatrix{20 * 65536, 20 * 65536, 0, 0, 0, 0});
    out.writeU8(0);       // no line styles
    out.writeUB(1, 4);
    out.writeUB(0, 4);
    // Clockwise rectangle, the bitmap on the right of each edge.
    out.writeUB(0, 2);
    out.writeUB(0, 1);    // line style
    out.writeUB(1, 1);    // fill style 1
    out.writeUB(0, 1);    // fill style 0
    out.writeUB(1, 1);    // move to
    writeMoveTo(out, QPoint(0, 0));
    out.writeUB(1, 1);
    const int sides[4][2] = {{w, 0}, {0, h}, {-w, 0}, {0, -h}};
    for (const auto &side : sides) {
        const int d = side[0] ? side[0] : side[1];
        const int bits = std::max(2, BitWriter::signedBits(d));
        out.writeUB(1, 1);
        out.writeUB(1, 1);
        out.writeUB(uint32_t(bits - 2), 4);
        out.writeUB(0, 1);
        out.writeUB(side[0] == 0, 1);
        out.writeSB(d, bits);
    }
    out.writeUB(0, 6);
    out.align();
    writeTag(m_tags, TagDefineShape3, out.bytes());
    return id;
}

int SwfWriter::defineGroupSprite(const std::vector<int> &characters)
{
    const int id = m_nextId++;
    BitWriter out;
    out.writeU16(uint16_t(id));
    out.writeU16(1);
    BitWriter control;
    for (size_t i = 0; i < characters.size(); ++i)
        writeTag(control, TagPlaceObject2,
                 placeBody(int(i) + 1, characters[i], nullptr, nullptr, -1));
    writeTag(control, TagShowFrame, {});
    writeTag(control, TagEnd, {});
    out.writeBytes(control.bytes());
    writeTag(m_tags, TagDefineSprite, out.bytes());
    return id;
}

QByteArray SwfWriter::placeBody(int depth, int character, const SwfMatrix *matrix,
                                const SwfColorTransform *color, int ratio)
{
    BitWriter out;
    uint8_t flags = 0;
    if (character <= 0)
        flags |= 0x01;    // move an object already at this depth
    if (character > 0)
        flags |= 0x02;
    if (matrix)
        flags |= 0x04;
    if (color)
        flags |= 0x08;
    if (ratio >= 0)
        flags |= 0x10;
    out.writeU8(flags);
    out.writeU16(uint16_t(depth));
    if (character > 0)
        out.writeU16(uint16_t(character));
    if (matrix)
        writeMatrix(out, *matrix);
    if (color)
        writeColorTransform(out, *color);
    if (ratio >= 0)
        out.writeU16(uint16_t(ratio));
    return out.bytes();
}

void SwfWriter::place(int depth, int character, const SwfMatrix &matrix,
                      const SwfColorTransform &color, int ratio)
{
    writeTag(m_tags, TagPlaceObject2,
             placeBody(depth, character, &matrix, color.isIdentity() ? nullptr : &color, ratio));
}

void SwfWriter::move(int depth, const SwfMatrix &matrix, const SwfColorTransform &color, int ratio)
{
    writeTag(m_tags, TagPlaceObject2, placeBody(depth, 0, &matrix, &color, ratio));
}

void SwfWriter::remove(int depth)
{
    BitWriter out;
    out.writeU16(uint16_t(depth));
    writeTag(m_tags, TagRemoveObject2, out.bytes());
}

void SwfWriter::showFrame()
{
    writeStreamBlock();
    writeTag(m_tags, TagShowFrame, {});
    ++m_frames;
}

QByteArray SwfWriter::finish()
{
    writeTag(m_tags, TagEnd, {});
    BitWriter body;
    writeRect(body, 0, m_stage.width() * 20, 0, m_stage.height() * 20);
    body.writeU16(uint16_t(std::lround(m_fps * 256.0)));   // 8.8 fixed point
    body.writeU16(uint16_t(m_frames));
    body.writeBytes(m_tags.bytes());
    const QByteArray plain = body.bytes();

    uLongf packedSize = compressBound(uLong(plain.size()));
    QByteArray packed(int(packedSize), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef *>(packed.data()), &packedSize,
              reinterpret_cast<const Bytef *>(plain.constData()), uLong(plain.size()), 9);
    packed.truncate(int(packedSize));

    QByteArray file("CWS");
    file.append(char(8));
    const quint32 total = quint32(plain.size() + 8);
    file.append(char(total & 0xff)).append(char((total >> 8) & 0xff))
        .append(char((total >> 16) & 0xff)).append(char((total >> 24) & 0xff));
    file.append(packed);
    return file;
}
