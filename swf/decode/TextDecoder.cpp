#include "decode/TextDecoder.h"

#include "character/EditTextCharacter.h"
#include "character/FontCharacter.h"
#include "decode/ShapeDecoder.h"
#include "character/TextCharacter.h"

namespace swf::textdecoder {

namespace {

constexpr qsizetype kMaxFieldText = 1 << 16;

// A glyph is a shape whose only fill is style 1.
QPainterPath glyphOutline(BitReader &shapeBytes, const DecodeContext &context)
{
    ShapeDecoder decoder(shapeBytes, 1, context);
    QVector<ShapeEdge> edges = decoder.shape(false);
    for (ShapeEdge &e : edges)
        e.line = 0;
    StyleGroup group;
    group.fills.append(FillStyle());
    return ShapeDrawing({group}, edges, Qt::OddEvenFill).area();
}

std::shared_ptr<const FontCharacter> fontFor(const DecodeContext &context, int id)
{
    if (!context.dictionary)
        return nullptr;
    return std::dynamic_pointer_cast<const FontCharacter>(context.dictionary->value(id));
}

QString nameFrom(const QByteArray &bytes, int version)
{
    QByteArray name = bytes;
    const qsizetype nul = name.indexOf('\0');
    if (nul >= 0)
        name.truncate(nul);
    return version >= 6 ? QString::fromUtf8(name) : QString::fromLatin1(name);
}

// Reads the glyph shapes between the offsets, all relative to `tableStart`;
// the last glyph ends at `end`.
QVector<FontCharacter::Glyph> readGlyphs(BitReader &body, std::size_t tableStart,
                                         const QVector<std::uint32_t> &offsets, std::size_t end,
                                         const DecodeContext &context)
{
    QVector<FontCharacter::Glyph> glyphs(offsets.size());
    for (int i = 0; i < offsets.size(); ++i) {
        const std::size_t from = tableStart + offsets[i];
        const std::size_t to = i + 1 < offsets.size() ? tableStart + offsets[i + 1] : end;
        if (from > to || to > body.size())
            throw DecodeError("glyph offsets out of order or past the tag");
        BitReader glyphBytes(body.data() + from, to - from, body.swfVersion());
        glyphs[i].outline = glyphOutline(glyphBytes, context);
    }
    return glyphs;
}

} // namespace

CharacterPtr decodeFont(BitReader &body, const DecodeContext &context)
{
    const int id = body.u16();
    const std::size_t tableStart = body.position();
    if (body.atEnd())
        return std::make_shared<FontCharacter>(id, QString(), QVector<FontCharacter::Glyph>(), 1024);
    // The first offset also says how long the offset table is.
    const std::uint32_t first = body.u16();
    const int count = int(first / 2);
    QVector<std::uint32_t> offsets;
    if (count > 0)
        offsets.append(first);
    for (int i = 1; i < count; ++i)
        offsets.append(body.u16());
    QVector<FontCharacter::Glyph> glyphs = readGlyphs(body, tableStart, offsets, body.size(), context);
    return std::make_shared<FontCharacter>(id, QString(), glyphs, 1024);
}

CharacterPtr decodeFont2(BitReader &body, const DecodeContext &context, bool font3)
{
    const int id = body.u16();
    const int flags = body.u8();
    const bool hasLayout = flags & 0x80;
    const bool wideOffsets = flags & 0x08;
    const bool wideCodes = font3 || (flags & 0x04);
    const bool italic = flags & 0x02;
    const bool bold = flags & 0x01;
    body.u8();                       // language
    const QString name = nameFrom(body.readBytes(body.u8()), context.version);
    const int count = body.u16();
    const std::size_t offsetBytes = wideOffsets ? 4 : 2;
    if (count * offsetBytes > body.remaining())
        throw DecodeError("glyph count larger than the tag");
    const std::size_t tableStart = body.position();
    QVector<std::uint32_t> offsets;
    offsets.reserve(count);
    for (int i = 0; i < count; ++i)
        offsets.append(wideOffsets ? body.u32() : body.u16());

    QVector<FontCharacter::Glyph> glyphs;
    // Fonts without glyphs may end right after the count.
    if (count > 0 || body.remaining() >= offsetBytes) {
        const std::uint32_t codeTableOffset = wideOffsets ? body.u32() : body.u16();
        const std::size_t codeTable = tableStart + codeTableOffset;
        if (codeTable > body.size())
            throw DecodeError("code table past the tag");
        glyphs = readGlyphs(body, tableStart, offsets, codeTable, context);
        body.seek(codeTable);
        for (auto &glyph : glyphs)
            glyph.code = wideCodes ? body.u16() : body.u8();
    }
    double ascent = 0, descent = 0, leading = 0;
    struct Kerning
    {
        char16_t left, right;
        double adjustment;
    };
    QVector<Kerning> kerning;
    if (hasLayout && !body.atEnd()) {
        ascent = body.u16();
        descent = body.u16();
        leading = body.s16();
        for (auto &glyph : glyphs)
            glyph.advance = body.s16();
        // Glyph bounds are not needed to draw; read to check the tag.
        for (int i = 0; i < glyphs.size(); ++i)
            body.rect();
        const int kerningCount = body.u16();
        if (std::size_t(kerningCount) * (wideCodes ? 6 : 4) > body.remaining())
            throw DecodeError("kerning table larger than the tag");
        kerning.reserve(kerningCount);
        for (int i = 0; i < kerningCount; ++i) {
            const char16_t left = wideCodes ? body.u16() : body.u8();
            const char16_t right = wideCodes ? body.u16() : body.u8();
            kerning.append({left, right, double(body.s16())});
        }
    }
    auto font = std::make_shared<FontCharacter>(id, name, glyphs, font3 ? 20480 : 1024);
    if (hasLayout)
        font->setLayout(ascent, descent, leading);
    for (const Kerning &k : kerning)
        font->setKerning(k.left, k.right, k.adjustment);
    font->setStyle(bold, italic);
    return font;
}

CharacterPtr decodeFont4(BitReader &body, const DecodeContext &)
{
    const int id = body.u16();
    const int flags = body.u8();
    const QString name = body.string();
    auto font = std::make_shared<FontCharacter>(id, name, QVector<FontCharacter::Glyph>(), 1024);
    font->setStyle(flags & 0x01, flags & 0x02);
    // Without data (flag 4 clear) the font names a font of the system.
    if ((flags & 0x04) && !body.atEnd())
        font->setOpenTypeData(body.readBytes(body.remaining()));
    return font;
}

void decodeFontInfo(BitReader &body, DecodeContext &context, bool second)
{
    const int id = body.u16();
    const QString name = nameFrom(body.readBytes(body.u8()), context.version);
    const int flags = body.u8();
    const bool wideCodes = second || (flags & 0x01);
    if (second)
        body.u8();                   // language
    QVector<char16_t> codes;
    while (body.remaining() >= (wideCodes ? 2u : 1u))
        codes.append(wideCodes ? body.u16() : body.u8());
    const auto font = fontFor(context, id);
    if (!font || !context.dictionary)
        return;                      // information about no font: nothing to amend
    context.dictionary->insert(id, font->withCodes(codes, name, flags & 0x02, flags & 0x04));
}

CharacterPtr decodeText(BitReader &body, const DecodeContext &context, bool withAlpha)
{
    const int id = body.u16();
    const QRectF bounds = body.rect();
    const Matrix matrix = body.matrix();
    const int glyphBits = body.u8();
    const int advanceBits = body.u8();

    QVector<TextCharacter::Run> runs;
    std::shared_ptr<const FontCharacter> font;
    QColor color = Qt::black;
    double height = 0, x = 0, y = 0;
    for (;;) {
        const int flags = body.u8();
        if (!(flags & 0x80))
            break;                   // the end record (type bit clear)
        if (flags & 0x08) {
            font = fontFor(context, body.u16());
        }
        if (flags & 0x04)
            color = withAlpha ? body.rgba() : body.rgb();
        if (flags & 0x01)
            x = body.s16();
        if (flags & 0x02)
            y = body.s16();
        if (flags & 0x08)
            height = body.u16();
        const int count = body.u8();
        if (runs.isEmpty() || runs.last().color != color)
            runs.append({color, {}});
        QVector<QPainterPath> &glyphs = runs.last().glyphs;
        for (int i = 0; i < count; ++i) {
            const int index = int(body.ub(glyphBits));
            const int advance = body.sb(advanceBits);
            if (font && index < font->glyphCount()) {
                const double scale = height / font->emSize();
                QTransform place;
                place.translate(x, y);
                place.scale(scale, scale);
                // Flattened in twips: finer than the painter would flatten
                // the curves of a small glyph.
                const QPainterPath &outline = font->glyph(index).outline;
                QPainterPath path;
                path.setFillRule(outline.fillRule());
                for (const QPolygonF &polygon : outline.toSubpathPolygons(place))
                    path.addPolygon(polygon);
                glyphs.append(path);
            }
            x += advance;
        }
        body.align();
    }
    return std::make_shared<TextCharacter>(id, bounds, matrix, runs);
}

CharacterPtr decodeEditText(BitReader &body, const DecodeContext &context)
{
    const int id = body.u16();
    EditTextCharacter::Definition d;
    d.bounds = body.rect();
    const int flags1 = body.u8();
    const int flags2 = body.u8();
    const bool hasText = flags1 & 0x80;
    d.wordWrap = flags1 & 0x40;
    d.multiline = flags1 & 0x20;
    d.password = flags1 & 0x10;
    const bool hasColor = flags1 & 0x04;
    const bool hasMaxLength = flags1 & 0x02;
    const bool hasFont = flags1 & 0x01;
    const bool hasFontClass = flags2 & 0x80;
    const bool hasLayout = flags2 & 0x20;
    d.border = flags2 & 0x08;
    const bool html = flags2 & 0x02;
    d.useOutlines = flags2 & 0x01;
    TextStyle style;
    if (hasFont) {
        d.font = fontFor(context, body.u16());
        // HTML says bold and italic itself; the field's font only names
        // the family its runs start with.
        if (d.font && html)
            style.face = d.font->name();
        else if (d.font) {
            style.bold = d.font->bold();
            style.italic = d.font->italic();
        }
    }
    if (hasFontClass)
        style.face = body.string();
    if (hasFont || hasFontClass)
        style.height = body.u16();
    if (hasColor)
        style.color = body.rgba();
    if (hasMaxLength)
        body.u16();
    TextAlign align = TextAlign::Left;
    if (hasLayout) {
        const int code = body.u8();
        align = code == 1 ? TextAlign::Right
              : code == 2 ? TextAlign::Center
              : code == 3 ? TextAlign::Justify
                          : TextAlign::Left;
        d.leftMargin = body.u16();
        d.rightMargin = body.u16();
        d.indent = body.u16();
        d.leading = body.s16();
    }
    body.string();                   // the variable name
    // A field shows a few lines; a text far longer is cut rather than laid
    // out at great cost.
    const QString text = hasText ? body.string().left(kMaxFieldText) : QString();
    d.style = style;
    if (html) {
        d.paragraphs = parseHtmlText(text, style, align);
        // HTML runs may name other embedded fonts.
        if (d.useOutlines && context.dictionary) {
            for (const auto &character : *context.dictionary)
                if (auto font = std::dynamic_pointer_cast<const FontCharacter>(character))
                    d.fonts.append(font);
        }
    } else {
        d.paragraphs = plainTextParagraphs(text, style, align);
    }
    return std::make_shared<EditTextCharacter>(id, std::move(d));
}

} // namespace swf::textdecoder
