#pragma once

#include <QByteArray>
#include <cstdint>

// Writes the little-endian bytes and the most-significant-bit-first bit
// fields of SWF records. Bit fields pack into the current byte; any byte
// write first pads the pending bits to a whole byte, as every record that
// starts with a byte-aligned field needs.
class BitWriter
{
public:
    void writeUB(uint32_t value, int bits);
    void writeSB(int32_t value, int bits);
    void align();

    void writeU8(uint8_t value);
    void writeU16(uint16_t value);
    void writeU32(uint32_t value);
    void writeBytes(const QByteArray &bytes);

    // Bits that a signed (SB, FB) or unsigned (UB) field needs for `value`.
    static int signedBits(int32_t value);
    static int unsignedBits(uint32_t value);

    QByteArray bytes() const;       // pending bits padded
    int size() const { return m_bytes.size() + (m_bitCount ? 1 : 0); }

private:
    QByteArray m_bytes;
    uint8_t m_pending = 0;
    int m_bitCount = 0;
};
