#pragma once

#include <QImage>
#include <QRgb>
#include <cstdint>
#include <vector>

// Reduces a picture to at most 256 colours by median cut: the colour
// boxes with the most pixels spread over the widest range are split at
// their median until the palette is full; every pixel then takes the
// nearest palette colour. Flat cartoon areas keep their exact colour.
// Deterministic: the same picture always gives the same palette.
// Photographs may be dithered (Floyd-Steinberg), which trades a little
// grain for smooth skies and faces instead of bands.
class ColorQuantizer
{
public:
    struct Result
    {
        std::vector<QRgb> palette;
        std::vector<uint8_t> indices;   // row by row, one per pixel
        int width = 0, height = 0;
    };
    static Result quantize(const QImage &image, int maxColors = 256, bool dither = false);
};
