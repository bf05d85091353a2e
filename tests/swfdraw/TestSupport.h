#pragma once

#include "decode/CharacterDecoder.h"

#include <QImage>
#include <QPainter>

// Decodes one hand-made tag body and draws characters into small images.
namespace testsupport {

inline swf::CharacterPtr decode(int tagCode, const QByteArray &body, swf::Dictionary *dictionary = nullptr,
                                const QByteArray &jpegTables = {})
{
    swf::BitReader reader(body);
    swf::DecodeContext context;
    context.dictionary = dictionary;
    context.jpegTables = jpegTables;
    return swf::decodeCharacterTag(tagCode, reader, context);
}

// Draws `character` on white at one pixel per 20 twips (unless `matrix`
// says otherwise), anti-aliased unless `antialias` is false.
inline QImage render(const swf::Character &character, QSize size,
                     const QTransform &matrix = QTransform::fromScale(0.05, 0.05),
                     const swf::ColorTransform &cxform = {}, double ratio = 0.0, bool antialias = true)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    swf::RenderContext context;
    context.painter = &painter;
    context.matrix = matrix;
    context.cxform = cxform;
    context.ratio = ratio;
    context.antialias = antialias;
    character.draw(context);
    painter.end();
    return image;
}

// Drawn as a player's low quality does, without anti-aliasing.
inline QImage renderAliased(const swf::Character &character, QSize size, const QTransform &matrix)
{
    return render(character, size, matrix, {}, 0.0, false);
}

// A whole tag, in the long header form, around `body`.
inline QByteArray tag(int code, const QByteArray &body)
{
    QByteArray out;
    const quint16 header = quint16((code << 6) | 0x3f);
    const quint32 length = quint32(body.size());
    out.append(char(header & 0xff)).append(char(header >> 8));
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((length >> shift) & 0xff));
    return out + body;
}

inline bool near(QRgb actual, const QColor &expected, int tolerance = 4)
{
    return std::abs(qRed(actual) - expected.red()) <= tolerance
        && std::abs(qGreen(actual) - expected.green()) <= tolerance
        && std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

inline QByteArray describe(QRgb p)
{
    return QByteArray::number(qRed(p)) + "," + QByteArray::number(qGreen(p)) + ","
        + QByteArray::number(qBlue(p)) + "," + QByteArray::number(qAlpha(p));
}

} // namespace testsupport

#define COMPARE_PIXEL(image, x, y, color)                                                         \
    QVERIFY2(testsupport::near((image).pixel((x), (y)), (color)),                                 \
             "pixel " #x "," #y " is " + testsupport::describe((image).pixel((x), (y))))
