#pragma once

#include <QByteArray>
#include <QColor>
#include <QRect>
#include <cstdint>

// Builds the bytes of hand-made SWF tag bodies: little-endian integers and
// MSB-first bit fields, as the file format writes them.
class SwfWriter
{
public:
    SwfWriter &u8(int v) { flush(); m_bytes.append(char(v & 0xff)); return *this; }
    SwfWriter &u16(int v) { u8(v); return u8(v >> 8); }
    SwfWriter &u32(std::uint32_t v) { u16(int(v & 0xffff)); return u16(int(v >> 16)); }
    SwfWriter &bytes(const QByteArray &b) { flush(); m_bytes.append(b); return *this; }
    SwfWriter &string(const char *s) { bytes(QByteArray(s)); return u8(0); }
    SwfWriter &rgb(const QColor &c) { u8(c.red()); u8(c.green()); return u8(c.blue()); }
    SwfWriter &rgba(const QColor &c) { rgb(c); return u8(c.alpha()); }

    SwfWriter &ub(int bits, std::uint32_t v)
    {
        for (int i = bits - 1; i >= 0; --i) {
            m_current = std::uint8_t((m_current << 1) | ((v >> i) & 1));
            if (++m_bitCount == 8) {
                m_bytes.append(char(m_current));
                m_current = 0;
                m_bitCount = 0;
            }
        }
        return *this;
    }
    SwfWriter &sb(int bits, int v) { return ub(bits, std::uint32_t(v) & ((bits == 32) ? 0xffffffffu : ((1u << bits) - 1))); }
    SwfWriter &flag(bool v) { return ub(1, v ? 1 : 0); }

    // A RECT in twips.
    SwfWriter &rect(int xMin, int xMax, int yMin, int yMax)
    {
        flush();
        ub(5, 16);
        sb(16, xMin); sb(16, xMax); sb(16, yMin); sb(16, yMax);
        flush();
        return *this;
    }
    // A MATRIX with scale (16.16 fixed) and translation (twips), no rotation.
    SwfWriter &matrix(double sx = 1, double sy = 1, int tx = 0, int ty = 0)
    {
        flush();
        const bool scaled = sx != 1 || sy != 1;
        flag(scaled);
        if (scaled) {
            ub(5, 31);
            sb(31, int(sx * 65536));
            sb(31, int(sy * 65536));
        }
        flag(false);
        ub(5, 20);
        sb(20, tx);
        sb(20, ty);
        flush();
        return *this;
    }

    // A MATRIX with all four factors (16.16 fixed) and translation (twips).
    SwfWriter &matrix(double sx, double r0, double r1, double sy, int tx, int ty)
    {
        flush();
        flag(true);
        ub(5, 31);
        sb(31, int(sx * 65536));
        sb(31, int(sy * 65536));
        flag(true);
        ub(5, 31);
        sb(31, int(r0 * 65536));
        sb(31, int(r1 * 65536));
        ub(5, 20);
        sb(20, tx);
        sb(20, ty);
        flush();
        return *this;
    }

    // Shape records, with 15-bit coordinate fields throughout.
    SwfWriter &styleChange(int fill0, int fill1, int line, bool move = false, int x = 0, int y = 0,
                           int fillBits = 4, int lineBits = 4)
    {
        ub(1, 0);
        flag(false);                 // new styles
        flag(line >= 0);
        flag(fill1 >= 0);
        flag(fill0 >= 0);
        flag(move);
        if (move) { ub(5, 17); sb(17, x); sb(17, y); }
        if (fill0 >= 0) ub(fillBits, fill0);
        if (fill1 >= 0) ub(fillBits, fill1);
        if (line >= 0) ub(lineBits, line);
        return *this;
    }
    SwfWriter &lineTo(int dx, int dy)
    {
        ub(1, 1); ub(1, 1); ub(4, 15);  // 17-bit deltas
        flag(true);
        sb(17, dx); sb(17, dy);
        return *this;
    }
    SwfWriter &curveTo(int cdx, int cdy, int adx, int ady)
    {
        ub(1, 1); ub(1, 0); ub(4, 15);
        sb(17, cdx); sb(17, cdy); sb(17, adx); sb(17, ady);
        return *this;
    }
    SwfWriter &endShape() { ub(6, 0); flush(); return *this; }

    SwfWriter &flush()
    {
        if (m_bitCount) {
            ub(8 - m_bitCount, 0);
        }
        return *this;
    }
    QByteArray data() { flush(); return m_bytes; }

private:
    QByteArray m_bytes;
    std::uint8_t m_current = 0;
    int m_bitCount = 0;
};
