#pragma once

#include <QColor>
#include <QRectF>
#include <QTransform>

namespace swf {

// A colour transform: each channel becomes channel * mult / 256 + add,
// clamped to 0..255 (the file's 8.8 fixed multipliers, kept as integers).
struct ColorTransform
{
    int rMult = 256, gMult = 256, bMult = 256, aMult = 256;
    int rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;

    bool isIdentity() const
    {
        return rMult == 256 && gMult == 256 && bMult == 256 && aMult == 256
            && rAdd == 0 && gAdd == 0 && bAdd == 0 && aAdd == 0;
    }
    QColor apply(const QColor &c) const;
    // `inner` applied first, then this.
    ColorTransform combined(const ColorTransform &inner) const;
};

// Geometry is kept in twips (1/20 pixel) as in the file; matrices map a
// character's twips into its parent's twips.
using Matrix = QTransform;

} // namespace swf
