#include "decode/BitmapDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <zlib.h>

namespace swf::bitmapdecoder {

namespace {

unsigned byteAt(const QByteArray &data, qsizetype i) { return static_cast<unsigned char>(data[i]); }

// Copies the marker segments of a JPEG stream to `out`, leaving out start
// and end of image markers. False when the data is not a marker stream.
bool copySegments(const QByteArray &data, QByteArray &out)
{
    const qsizetype n = data.size();
    qsizetype p = 0;
    while (p + 1 < n) {
        if (byteAt(data, p) != 0xff)
            return false;
        const unsigned marker = byteAt(data, p + 1);
        if (marker == 0xff) {                        // fill byte
            ++p;
            continue;
        }
        if (marker == 0xd8 || marker == 0xd9) {
            p += 2;
            continue;
        }
        if ((marker >= 0xd0 && marker <= 0xd7) || marker == 0x01) {
            out.append(data.mid(p, 2));
            p += 2;
            continue;
        }
        if (p + 4 > n)
            return false;
        const qsizetype length = qsizetype((byteAt(data, p + 2) << 8) | byteAt(data, p + 3));
        if (length < 2 || p + 2 + length > n)
            return false;
        out.append(data.mid(p, 2 + length));
        p += 2 + length;
        if (marker == 0xda) {
            // Entropy-coded data runs to the next marker that is neither a
            // stuffed zero nor a restart.
            qsizetype q = p;
            while (q + 1 < n) {
                const unsigned next = byteAt(data, q + 1);
                if (byteAt(data, q) == 0xff && next != 0 && !(next >= 0xd0 && next <= 0xd7))
                    break;
                ++q;
            }
            if (q + 1 >= n)
                q = n;
            out.append(data.mid(p, q - p));
            p = q;
        }
    }
    return true;
}

bool isPng(const QByteArray &d) { return d.startsWith("\x89PNG"); }
bool isGif(const QByteArray &d) { return d.startsWith("GIF8"); }

QImage readImage(const QByteArray &data, const char *format)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (size.isValid() && !pictureFits(size))
        return {};
    return reader.read();
}

} // namespace

bool couldInflateTo(qint64 compressedBytes, qint64 inflatedBytes)
{
    // Deflate expands one byte to at most 1032 (a 258-byte match coded in
    // two bits).
    return inflatedBytes <= compressedBytes * 1032;
}

QByteArray inflate(const QByteArray &compressed, qint64 expected)
{
    if (expected < 0 || expected > kMaxInflatedBytes)
        throw DecodeError("bitmap too large");
    if (!couldInflateTo(compressed.size(), expected))
        throw DecodeError("zlib data too short for the bitmap");
    QByteArray out(qsizetype(expected), Qt::Uninitialized);
    if (expected == 0)
        return out;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        throw DecodeError("cannot start zlib");
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(expected);
    const int result = ::inflate(&stream, Z_FINISH);
    const qint64 produced = qint64(stream.total_out);
    inflateEnd(&stream);
    // Data beyond what the bitmap needs (Z_BUF_ERROR with a full buffer) is ignored.
    if ((result != Z_STREAM_END && result != Z_BUF_ERROR && result != Z_OK) || produced < expected)
        throw DecodeError("corrupt or short zlib data in a bitmap");
    return out;
}

QByteArray joinJpeg(const QByteArray &tables, const QByteArray &image)
{
    QByteArray body;
    const qsizetype reserve = tables.size() + image.size() + 4;
    body.reserve(reserve);
    if (!copySegments(tables, body) || !copySegments(image, body)) {
        // Not a clean marker stream: let the JPEG reader make what it can of it.
        return tables.isEmpty() ? image : tables + image;
    }
    return QByteArray("\xff\xd8", 2) + body + QByteArray("\xff\xd9", 2);
}

QImage decodePicture(const QByteArray &data, const QByteArray &jpegTables)
{
    QImage image;
    if (isPng(data))
        image = readImage(data, "PNG");
    else if (isGif(data))
        image = readImage(data, "GIF");
    else
        image = readImage(joinJpeg(jpegTables, data), "JPEG");
    if (image.isNull())
        return {};
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage decodePictureWithAlpha(const QByteArray &data, const QByteArray &compressedAlpha)
{
    QImage image = decodePicture(data);
    if (!isPng(data) && !isGif(data))
        applyAlphaPlane(image, compressedAlpha);
    return image;
}

void applyAlphaPlane(QImage &image, const QByteArray &compressedAlpha)
{
    if (image.isNull() || compressedAlpha.isEmpty())
        return;
    QByteArray alpha;
    try {
        alpha = inflate(compressedAlpha, qint64(image.width()) * image.height());
    } catch (const DecodeError &) {
        return;
    }
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const auto *a = reinterpret_cast<const unsigned char *>(alpha.constData());
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // The authoring tool stores the colours premultiplied already;
            // players hold them to the alpha, which JPEG's losses (or a tool
            // that did not premultiply) may leave them above.
            const int alphaValue = *a++;
            const QRgb p = line[x];
            line[x] = qRgba(std::min(qRed(p), alphaValue), std::min(qGreen(p), alphaValue),
                            std::min(qBlue(p), alphaValue), alphaValue);
        }
    }
}

QImage decodeLossless(BitReader &body, bool withAlpha)
{
    const int format = body.u8();
    const int width = body.u16();
    const int height = body.u16();
    const int tableSize = format == 3 ? body.u8() + 1 : 0;
    const QByteArray compressed = body.readRest();
    if (width == 0 || height == 0)
        return {};
    if (!pictureFits(width, height))
        throw DecodeError("bitmap too large");
    // A few bytes that claim a huge picture are refused before anything
    // that size is allocated.
    const qint64 leastInflated = qint64(width) * height * (format == 4 ? 2 : format == 5 ? 4 : 1);
    if (!couldInflateTo(compressed.size(), leastInflated))
        throw DecodeError("zlib data too short for the bitmap");

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        throw DecodeError("cannot allocate bitmap");
    // Rows of formats 3 and 4 are padded to 32 bits.
    auto clampToAlpha = [](int a, int r, int g, int b) {
        return qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a);
    };
    switch (format) {
    case 3: {
        const int entryBytes = withAlpha ? 4 : 3;
        const qint64 stride = (width + 3) & ~3;
        const QByteArray data = inflate(compressed, qint64(tableSize) * entryBytes + stride * height);
        QRgb table[256];
        std::fill(std::begin(table), std::end(table), qRgba(0, 0, 0, 0));
        for (int i = 0; i < tableSize; ++i) {
            const int r = int(byteAt(data, i * entryBytes)), g = int(byteAt(data, i * entryBytes + 1)),
                      b = int(byteAt(data, i * entryBytes + 2));
            // The colours of DefineBitsLossless2 are premultiplied already.
            table[i] = withAlpha ? clampToAlpha(int(byteAt(data, i * entryBytes + 3)), r, g, b) : qRgb(r, g, b);
        }
        const auto *pixels = reinterpret_cast<const unsigned char *>(data.constData()) + tableSize * entryBytes;
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            const unsigned char *row = pixels + y * stride;
            for (int x = 0; x < width; ++x)
                line[x] = table[row[x]];        // indices past the table are transparent
        }
        break;
    }
    case 4: {
        const qint64 stride = (qint64(width) * 2 + 3) & ~3;
        const QByteArray data = inflate(compressed, stride * height);
        const auto *pixels = reinterpret_cast<const unsigned char *>(data.constData());
        auto expand = [](unsigned v) { return int((v << 3) | (v >> 2)); };
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            const unsigned char *row = pixels + y * stride;
            for (int x = 0; x < width; ++x) {
                const unsigned v = (unsigned(row[2 * x]) << 8) | row[2 * x + 1];   // big-endian 1:5:5:5
                line[x] = qRgb(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
            }
        }
        break;
    }
    case 5: {
        const QByteArray data = inflate(compressed, qint64(width) * height * 4);
        const auto *p = reinterpret_cast<const unsigned char *>(data.constData());
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x, p += 4) {
                // ARGB, premultiplied; the first byte is unused without alpha.
                line[x] = withAlpha ? clampToAlpha(p[0], p[1], p[2], p[3]) : qRgb(p[1], p[2], p[3]);
            }
        }
        break;
    }
    default:
        throw DecodeError("unknown lossless bitmap format");
    }
    return image;
}

} // namespace swf::bitmapdecoder
