#include "GifWriter.h"

#include "ColorQuantizer.h"

#include <QFile>
#include <gif_lib.h>

bool GifWriter::write(const QString &path, const QImage &image, QString *error, bool dither)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const ColorQuantizer::Result q = ColorQuantizer::quantize(image, 256, dither);

    // giflib wants a power of two colours; the unused tail stays black.
    int bits = 1;
    while ((1 << bits) < int(q.palette.size()))
        ++bits;
    std::vector<GifColorType> colours(size_t(1) << bits, GifColorType{0, 0, 0});
    for (size_t i = 0; i < q.palette.size(); ++i)
        colours[i] = GifColorType{GifByteType(qRed(q.palette[i])), GifByteType(qGreen(q.palette[i])),
                                  GifByteType(qBlue(q.palette[i]))};

    int code = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &code);
    if (!gif)
        return fail(QString::fromUtf8(GifErrorString(code)));
    ColorMapObject *map = GifMakeMapObject(int(colours.size()), colours.data());
    bool ok = map && EGifPutScreenDesc(gif, q.width, q.height, bits, 0, map) == GIF_OK
        && EGifPutImageDesc(gif, 0, 0, q.width, q.height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(size_t(q.width));
    for (int y = 0; ok && y < q.height; ++y) {
        std::copy_n(q.indices.begin() + long(y) * q.width, q.width, line.begin());
        ok = EGifPutLine(gif, line.data(), q.width) == GIF_OK;
    }
    const int writeError = gif->Error;
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &code) != GIF_OK && ok)
        return fail(QString::fromUtf8(GifErrorString(code)));
    if (!ok)
        return fail(QString::fromUtf8(GifErrorString(writeError)));
    // giflib creates its files readable by their owner only.
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadGroup | QFile::ReadOther);
    return true;
}
