#include "BitWriter.h"

void BitWriter::writeUB(uint32_t value, int bits)
{
    for (int i = bits - 1; i >= 0; --i) {
        m_pending = uint8_t((m_pending << 1) | ((value >> i) & 1u));
        if (++m_bitCount == 8) {
            m_bytes.append(char(m_pending));
            m_pending = 0;
            m_bitCount = 0;
        }
    }
}

void BitWriter::writeSB(int32_t value, int bits)
{
    writeUB(uint32_t(value) & (bits >= 32 ? 0xffffffffu : ((1u << bits) - 1)), bits);
}

void BitWriter::align()
{
    if (m_bitCount)
        writeUB(0, 8 - m_bitCount);
}

void BitWriter::writeU8(uint8_t value)
{
    align();
    m_bytes.append(char(value));
}

void BitWriter::writeU16(uint16_t value)
{
    writeU8(uint8_t(value));
    writeU8(uint8_t(value >> 8));
}

void BitWriter::writeU32(uint32_t value)
{
    writeU16(uint16_t(value));
    writeU16(uint16_t(value >> 16));
}

void BitWriter::writeBytes(const QByteArray &bytes)
{
    align();
    m_bytes.append(bytes);
}

int BitWriter::unsignedBits(uint32_t value)
{
    int bits = 0;
    while (value) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

int BitWriter::signedBits(int32_t value)
{
    return unsignedBits(uint32_t(value < 0 ? ~value : value)) + 1;
}

QByteArray BitWriter::bytes() const
{
    QByteArray out = m_bytes;
    if (m_bitCount)
        out.append(char(m_pending << (8 - m_bitCount)));
    return out;
}
