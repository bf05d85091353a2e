#include "decode/BitReader.h"

#include <cstring>

namespace swf {

BitReader::BitReader(const char *data, std::size_t size, int swfVersion)
    : m_data(data), m_size(size), m_version(swfVersion)
{
}

BitReader::BitReader(const QByteArray &bytes, int swfVersion)
    : BitReader(bytes.constData(), std::size_t(bytes.size()), swfVersion)
{
}

void BitReader::need(std::size_t bytes) const
{
    if (bytes > m_size - m_pos)
        throw DecodeError("unexpected end of data");
}

void BitReader::align()
{
    if (m_bitPos != 0) {
        m_bitPos = 0;
        ++m_pos;
    }
}

void BitReader::skip(std::size_t bytes)
{
    align();
    need(bytes);
    m_pos += bytes;
}

void BitReader::seek(std::size_t position)
{
    if (position > m_size)
        throw DecodeError("seek past the end of data");
    m_pos = position;
    m_bitPos = 0;
}

BitReader BitReader::sub(std::size_t bytes)
{
    align();
    need(bytes);
    BitReader inner(m_data + m_pos, bytes, m_version);
    m_pos += bytes;
    return inner;
}

QByteArray BitReader::readBytes(std::size_t bytes)
{
    align();
    need(bytes);
    QByteArray out(m_data + m_pos, qsizetype(bytes));
    m_pos += bytes;
    return out;
}

QByteArray BitReader::readRest()
{
    align();
    return readBytes(m_size - m_pos);
}

std::uint8_t BitReader::u8()
{
    align();
    need(1);
    return std::uint8_t(m_data[m_pos++]);
}

std::uint16_t BitReader::u16()
{
    align();
    need(2);
    auto b = reinterpret_cast<const unsigned char *>(m_data + m_pos);
    m_pos += 2;
    return std::uint16_t(b[0] | (b[1] << 8));
}

std::uint32_t BitReader::u32()
{
    align();
    need(4);
    auto b = reinterpret_cast<const unsigned char *>(m_data + m_pos);
    m_pos += 4;
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16)
        | (std::uint32_t(b[3]) << 24);
}

std::int16_t BitReader::s16() { return std::int16_t(u16()); }
std::int32_t BitReader::s32() { return std::int32_t(u32()); }

float BitReader::f32()
{
    std::uint32_t bits = u32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double BitReader::fixed8() { return s16() / 256.0; }
double BitReader::fixed16() { return s32() / 65536.0; }

std::uint32_t BitReader::encodedU32()
{
    std::uint32_t result = 0;
    for (int i = 0; i < 5; ++i) {
        std::uint8_t byte = u8();
        result |= std::uint32_t(byte & 0x7f) << (7 * i);
        if (!(byte & 0x80))
            break;
    }
    return result;
}

std::uint32_t BitReader::ub(int bits)
{
    if (bits < 0 || bits > 32)
        throw DecodeError("bad bit field width");
    std::uint32_t value = 0;
    while (bits > 0) {
        need(1);
        const unsigned byte = static_cast<unsigned char>(m_data[m_pos]);
        const int available = 8 - m_bitPos;
        const int take = bits < available ? bits : available;
        const unsigned part = (byte >> (available - take)) & ((1u << take) - 1);
        value = (take == 32 ? 0 : value << take) | part;
        bits -= take;
        m_bitPos += take;
        if (m_bitPos == 8) {
            m_bitPos = 0;
            ++m_pos;
        }
    }
    return value;
}

std::int32_t BitReader::sb(int bits)
{
    if (bits == 0)
        return 0;
    std::uint32_t value = ub(bits);
    if (bits < 32 && (value & (1u << (bits - 1))))
        value |= ~((1u << bits) - 1);
    return std::int32_t(value);
}

double BitReader::fb(int bits) { return sb(bits) / 65536.0; }

QString BitReader::string()
{
    align();
    std::size_t end = m_pos;
    while (end < m_size && m_data[end] != 0)
        ++end;
    if (end >= m_size)
        throw DecodeError("unterminated string");
    const char *start = m_data + m_pos;
    const qsizetype length = qsizetype(end - m_pos);
    m_pos = end + 1;
    return m_version >= 6 ? QString::fromUtf8(start, length) : QString::fromLatin1(start, length);
}

QRectF BitReader::rect()
{
    align();
    const int bits = int(ub(5));
    const double xMin = sb(bits), xMax = sb(bits), yMin = sb(bits), yMax = sb(bits);
    align();
    return QRectF(QPointF(xMin, yMin), QPointF(xMax, yMax));
}

Matrix BitReader::matrix()
{
    align();
    double scaleX = 1, scaleY = 1, skew0 = 0, skew1 = 0;
    if (flag()) {
        const int bits = int(ub(5));
        scaleX = fb(bits);
        scaleY = fb(bits);
    }
    if (flag()) {
        const int bits = int(ub(5));
        skew0 = fb(bits);   // RotateSkew0: x' = ... + skew1 * y
        skew1 = fb(bits);
    }
    const int bits = int(ub(5));
    const double tx = sb(bits), ty = sb(bits);
    align();
    // x' = scaleX * x + skew1 * y + tx ; y' = skew0 * x + scaleY * y + ty
    return Matrix(scaleX, skew0, skew1, scaleY, tx, ty);
}

ColorTransform BitReader::cxform(bool withAlpha)
{
    align();
    ColorTransform cx;
    const bool hasAdd = flag();
    const bool hasMult = flag();
    const int bits = int(ub(4));
    if (hasMult) {
        cx.rMult = sb(bits);
        cx.gMult = sb(bits);
        cx.bMult = sb(bits);
        if (withAlpha)
            cx.aMult = sb(bits);
    }
    if (hasAdd) {
        cx.rAdd = sb(bits);
        cx.gAdd = sb(bits);
        cx.bAdd = sb(bits);
        if (withAlpha)
            cx.aAdd = sb(bits);
    }
    align();
    return cx;
}

QColor BitReader::rgb()
{
    const int r = u8(), g = u8(), b = u8();
    return QColor(r, g, b);
}

QColor BitReader::rgba()
{
    const int r = u8(), g = u8(), b = u8(), a = u8();
    return QColor(r, g, b, a);
}

QColor BitReader::argb()
{
    const int a = u8(), r = u8(), g = u8(), b = u8();
    return QColor(r, g, b, a);
}

static int clampChannel(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

QColor ColorTransform::apply(const QColor &c) const
{
    return QColor(clampChannel(c.red() * rMult / 256 + rAdd),
                  clampChannel(c.green() * gMult / 256 + gAdd),
                  clampChannel(c.blue() * bMult / 256 + bAdd),
                  clampChannel(c.alpha() * aMult / 256 + aAdd));
}

ColorTransform ColorTransform::combined(const ColorTransform &inner) const
{
    ColorTransform out;
    out.rMult = inner.rMult * rMult / 256;
    out.gMult = inner.gMult * gMult / 256;
    out.bMult = inner.bMult * bMult / 256;
    out.aMult = inner.aMult * aMult / 256;
    out.rAdd = inner.rAdd * rMult / 256 + rAdd;
    out.gAdd = inner.gAdd * gMult / 256 + gAdd;
    out.bAdd = inner.bAdd * bMult / 256 + bAdd;
    out.aAdd = inner.aAdd * aMult / 256 + aAdd;
    return out;
}

} // namespace swf
