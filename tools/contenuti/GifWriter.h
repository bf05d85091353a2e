#pragma once

#include <QImage>
#include <QString>

// Saves a picture as a single-image GIF through giflib, its colours
// reduced by ColorQuantizer (dithered for photographs).
class GifWriter
{
public:
    static bool write(const QString &path, const QImage &image, QString *error = nullptr, bool dither = false);
};
