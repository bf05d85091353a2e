#pragma once

#include "PictureLimit.h"
#include "decode/BitReader.h"

#include <QByteArray>
#include <QImage>

// The pixel formats of the bitmap tags. Images come out as premultiplied
// ARGB; a picture that cannot be decoded gives a null image.
namespace swf::bitmapdecoder {

// Limits on what a bitmap may make us allocate, besides the picture's own
// (PictureLimit.h).
constexpr qint64 kMaxInflatedBytes = qint64(64) << 20;

// False when zlib data of that size cannot possibly hold that many bytes.
bool couldInflateTo(qint64 compressedBytes, qint64 inflatedBytes);

// Inflates zlib data that must yield exactly `expected` bytes (at most the
// cap); throws DecodeError when it is corrupt, short, or the size is too big.
QByteArray inflate(const QByteArray &compressed, qint64 expected);

// Joins the JPEG tables and image data into one stream with one start and
// one end marker, whatever stray markers the file holds between them.
QByteArray joinJpeg(const QByteArray &tables, const QByteArray &image);

// JPEG (with optional separate tables), PNG or GIF data.
QImage decodePicture(const QByteArray &data, const QByteArray &jpegTables = {});

// The picture of DefineBitsJPEG3 or 4: JPEG data takes its alpha from the
// plane; PNG and GIF data carry their own.
QImage decodePictureWithAlpha(const QByteArray &data, const QByteArray &compressedAlpha);

// Gives the image a zlib-compressed plane of one alpha byte per pixel, its
// colours taken as premultiplied by it already. A plane that cannot be
// read leaves the image opaque.
void applyAlphaPlane(QImage &image, const QByteArray &compressedAlpha);

// The body of DefineBitsLossless (1) or 2 after the character id.
QImage decodeLossless(BitReader &body, bool withAlpha);

} // namespace swf::bitmapdecoder
