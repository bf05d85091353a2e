#pragma once

#include "decode/DecodeError.h"
#include "Records.h"

#include <QByteArray>
#include <QColor>
#include <QRectF>
#include <QString>
#include <cstdint>

namespace swf {

// Reads the SWF's little-endian bytes and its MSB-first bit fields from a
// bounded span. Every read is checked: running past the end throws
// DecodeError, never reads outside the span.
class BitReader
{
public:
    BitReader(const char *data, std::size_t size, int swfVersion = 8);
    explicit BitReader(const QByteArray &bytes, int swfVersion = 8);

    int swfVersion() const { return m_version; }
    std::size_t position() const { return m_pos; }
    std::size_t size() const { return m_size; }
    std::size_t remaining() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos >= m_size; }
    const char *data() const { return m_data; }

    void align();                    // drops the rest of a partly read byte
    void skip(std::size_t bytes);
    void seek(std::size_t position);
    // A reader over the next `bytes` bytes; this one moves past them.
    BitReader sub(std::size_t bytes);
    QByteArray readBytes(std::size_t bytes);
    QByteArray readRest();

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int16_t s16();
    std::int32_t s32();
    float f32();
    double fixed8();                 // 8.8 signed
    double fixed16();                // 16.16 signed
    std::uint32_t encodedU32();

    std::uint32_t ub(int bits);
    std::int32_t sb(int bits);
    double fb(int bits);             // 16.16 fixed in `bits` bits
    bool flag() { return ub(1) != 0; }

    QString string();                // NUL-terminated; UTF-8 from version 6, Latin-1 before
    QRectF rect();                   // twips
    Matrix matrix();
    ColorTransform cxform(bool withAlpha);
    QColor rgb();
    QColor rgba();
    QColor argb();

private:
    void need(std::size_t bytes) const;

    const char *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    int m_bitPos = 0;                // bits already used of m_data[m_pos]; 0 when aligned
    int m_version;
};

} // namespace swf
