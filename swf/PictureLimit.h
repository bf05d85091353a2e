#pragma once

#include <QSize>
#include <QtGlobal>

namespace swf {

// The largest picture the engine makes, whatever a file asks for: a side
// of at most 16384 pixels and at most 256 MiB of 4-byte pixels (8192 x 8192,
// or 16384 x 4096). Stages, bitmaps and layers beyond it are refused before
// anything of their size is allocated; a movie's stage may be 13 million
// pixels wide.
constexpr int MaxPictureSide = 16384;
constexpr qint64 MaxPictureBytes = qint64(256) << 20;

constexpr bool pictureFits(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width <= MaxPictureSide && height <= MaxPictureSide
        && width * height * 4 <= MaxPictureBytes;
}

inline bool pictureFits(const QSize &size) { return pictureFits(size.width(), size.height()); }

} // namespace swf
