#pragma once

#include <QColor>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>

// A placement matrix as the movie stores it: 16.16 fixed-point scale and
// skew, translation in twips. Everything that draws a placement goes
// through these rounded numbers, so a picture and a movie frame agree.
struct SwfMatrix
{
    int32_t scaleX = 65536, scaleY = 65536;
    int32_t rotateSkew0 = 0, rotateSkew1 = 0;
    int32_t translateX = 0, translateY = 0;

    // `m` maps twips to twips.
    static SwfMatrix fromTransform(const QTransform &m)
    {
        auto fixed = [](double v) { return int32_t(std::lround(v * 65536.0)); };
        return {fixed(m.m11()), fixed(m.m22()), fixed(m.m12()), fixed(m.m21()),
                int32_t(std::lround(m.dx())), int32_t(std::lround(m.dy()))};
    }
    QTransform toTransform() const
    {
        return QTransform(scaleX / 65536.0, rotateSkew0 / 65536.0, rotateSkew1 / 65536.0,
                          scaleY / 65536.0, translateX, translateY);
    }
    bool hasScale() const { return scaleX != 65536 || scaleY != 65536; }
    bool hasRotate() const { return rotateSkew0 != 0 || rotateSkew1 != 0; }
    bool operator==(const SwfMatrix &) const = default;
};

// A colour transform with alpha: channel * mult / 256 + add, clamped.
struct SwfColorTransform
{
    int mult[4] = {256, 256, 256, 256};   // r, g, b, a
    int add[4] = {0, 0, 0, 0};

    // `tint` multiplies the colours (white changes nothing), `alpha` fades.
    static SwfColorTransform fromTint(const QColor &tint, double alpha)
    {
        SwfColorTransform t;
        auto m = [](double f) { return int(std::lround(std::clamp(f, 0.0, 1.0) * 256.0)); };
        t.mult[0] = m(tint.redF());
        t.mult[1] = m(tint.greenF());
        t.mult[2] = m(tint.blueF());
        t.mult[3] = m(alpha);
        return t;
    }
    bool isIdentity() const { return *this == SwfColorTransform(); }
    bool hasAdd() const { return add[0] || add[1] || add[2] || add[3]; }
    bool hasMult() const { return mult[0] != 256 || mult[1] != 256 || mult[2] != 256 || mult[3] != 256; }
    QColor apply(const QColor &c) const
    {
        const int in[4] = {c.red(), c.green(), c.blue(), c.alpha()};
        int out[4];
        for (int i = 0; i < 4; ++i)
            out[i] = std::clamp(in[i] * mult[i] / 256 + add[i], 0, 255);
        return QColor(out[0], out[1], out[2], out[3]);
    }
    bool operator==(const SwfColorTransform &) const = default;
};
