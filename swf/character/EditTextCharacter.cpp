#include "character/EditTextCharacter.h"

#include "character/DeviceFont.h"

#include <QPainter>

#include <cmath>

namespace swf {

namespace {

// Text fields keep 2 pixels between their bounds and the text.
constexpr double kGutter = 40;

// Players lay text out in whole twips: every advance (with its kerning)
// and letter spacing is cut to a whole number of twips before it is added.
double wholeTwips(double twips) { return std::trunc(twips); }

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == 0x3000; }

// Text colours reach the screen through a tint kept in 8.8 fixed point: a
// channel c becomes 255 * floor(256 c / 255) / 256, which leaves 0 and 255
// alone and makes every value between them one lower.
QColor textColor(const QColor &c)
{
    auto channel = [](int v) { return 255 * (v * 256 / 255) / 256; };
    return QColor(channel(c.red()), channel(c.green()), channel(c.blue()), c.alpha());
}

// The path of a glyph placed in the field, as polygons: the curves of
// small glyphs are flattened in twips, finer than the painter would at
// the size of a pixel.
QPainterPath placedGlyph(const QPainterPath &outline, double x, double baseline, double scale)
{
    QTransform place;
    place.translate(x, baseline);
    place.scale(scale, scale);
    QPainterPath path;
    path.setFillRule(outline.fillRule());
    for (const QPolygonF &polygon : outline.toSubpathPolygons(place))
        path.addPolygon(polygon);
    return path;
}

} // namespace

// One style's font at one height.
struct EditTextCharacter::Face
{
    std::shared_ptr<const FontCharacter> font;   // null: the run shows no glyphs
    double height = 240;                         // twips
    bool system = false;                         // a font of the system's, not the movie's

    double scale() const { return height / font->emSize(); }
    int glyph(char16_t code) const { return font ? font->glyphForCode(code) : -1; }
    // Twips; a character without a glyph leaves a third of the height.
    double advance(int g) const
    {
        if (g < 0)
            return height / 3;
        const auto &glyph = font->glyph(g);
        return (glyph.advance >= 0 ? glyph.advance : glyph.outline.boundingRect().right()) * scale();
    }
    double ascent() const
    {
        return font && font->hasLayout() ? font->ascent() * scale() : height * 0.8;
    }
    double descent() const
    {
        return font && font->hasLayout() ? font->descent() * scale() : height * 0.2;
    }
};

EditTextCharacter::EditTextCharacter(int id, Definition definition)
    : Character(id), m_definition(std::move(definition))
{
    if (m_definition.password) {
        for (auto &paragraph : m_definition.paragraphs)
            for (auto &span : paragraph.spans)
                span.text.fill(QLatin1Char('*'));
    }
}

QRectF EditTextCharacter::bounds(double) const { return m_definition.bounds; }

QVector<EditTextCharacter::PlacedGlyph> EditTextCharacter::layout() const
{
    const Definition &d = m_definition;

    // The styles in use, each with the characters it shows: fonts of the
    // system are read for those characters only.
    QVector<const TextStyle *> styles;
    QVector<QString> characters;
    auto styleIndex = [&](const TextStyle &style) {
        for (int i = 0; i < styles.size(); ++i) {
            const TextStyle &s = *styles[i];
            if (s.face == style.face && s.height == style.height && s.bold == style.bold && s.italic == style.italic)
                return i;
        }
        styles.append(&style);
        characters.append(QString());
        return int(styles.size()) - 1;
    };

    struct Char
    {
        char16_t code;
        int face;
        const TextStyle *style;
    };
    struct Paragraph
    {
        QVector<Char> chars;
        int emptyFace;               // the face of the line when there are no characters
        TextAlign align;
        double leading, indent, leftMargin, rightMargin;   // twips
    };
    QVector<Paragraph> paragraphs;
    paragraphs.reserve(d.paragraphs.size());
    for (const TextParagraph &source : d.paragraphs) {
        Paragraph paragraph;
        paragraph.align = source.align;
        const ParagraphFormat &format = source.format;
        paragraph.leading = format.leading.value_or(d.leading);
        paragraph.indent = format.indent.value_or(d.indent);
        paragraph.leftMargin = format.leftMargin.value_or(d.leftMargin) + format.blockIndent.value_or(0);
        paragraph.rightMargin = format.rightMargin.value_or(d.rightMargin);
        paragraph.emptyFace = styleIndex(source.spans.isEmpty() ? d.style : source.spans.first().style);
        for (const TextSpan &span : source.spans) {
            const int face = styleIndex(span.style);
            for (QChar c : span.text) {
                // Line breaks inside a paragraph are the parser's business;
                // any other control character shows nothing.
                if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
                    continue;
                paragraph.chars.append({c.unicode(), face, &span.style});
                characters[face].append(c);
            }
        }
        paragraphs.append(paragraph);
    }

    QVector<Face> faces;
    faces.reserve(styles.size());
    for (int i = 0; i < styles.size(); ++i) {
        const TextStyle &style = *styles[i];
        Face face;
        face.height = style.height;
        if (d.useOutlines) {
            // The font the run names, best in its style; else the field's own.
            auto embedded = [](const std::shared_ptr<const FontCharacter> &font) {
                return font && (font->glyphCount() > 0 || !font->openTypeData().isEmpty());
            };
            std::shared_ptr<const FontCharacter> named, styled;
            if (!style.face.isEmpty()) {
                for (const auto &font : d.fonts) {
                    if (!embedded(font) || font->name().compare(style.face, Qt::CaseInsensitive) != 0)
                        continue;
                    if (!named)
                        named = font;
                    if (font->bold() == style.bold && font->italic() == style.italic)
                        styled = font;
                }
            }
            face.font = styled ? styled : named;
            if (!face.font && embedded(d.font))
                face.font = d.font;
            // DefineFont4 carries OpenType data instead of glyph shapes.
            if (face.font && face.font->glyphCount() == 0)
                face.font = DeviceFont::fromData(face.font->openTypeData(), face.font->name(), characters[i]);
        }
        if (!face.font) {
            const QString name = style.face.isEmpty() && d.font ? d.font->name() : style.face;
            face.font = DeviceFont::system(name, style.bold, style.italic, characters[i]);
            face.system = true;
        }
        faces.append(face);
    }

    const bool wrap = d.wordWrap && d.multiline;

    QVector<PlacedGlyph> out;
    double top = d.bounds.top() + kGutter;
    for (const Paragraph &paragraph : paragraphs) {
        // Lines below the field would be clipped away: a long text costs
        // no more than the lines it shows.
        if (top >= d.bounds.bottom())
            break;
        // Wrapping lets a line run into the right gutter: players keep
        // lines that overflow the inner width by a little.
        const double margins = paragraph.leftMargin + paragraph.rightMargin;
        const double available = d.bounds.width() - kGutter - margins;
        const double inner = d.bounds.width() - 2 * kGutter - margins;
        const QVector<Char> &chars = paragraph.chars;
        const int n = int(chars.size());
        QVector<int> glyphs(n);
        QVector<double> advances(n);
        for (int i = 0; i < n; ++i) {
            const Face &face = faces[chars[i].face];
            glyphs[i] = face.glyph(chars[i].code);
            double advance = face.advance(glyphs[i]);
            if (chars[i].style->kerning && i + 1 < n && chars[i + 1].face == chars[i].face && face.font)
                advance += face.font->kerning(chars[i].code, chars[i + 1].code) * face.scale();
            // Fonts of the system advance by whole pixels, as hinted text does.
            advance = face.system ? std::round(advance / 20) * 20 : wholeTwips(advance);
            advances[i] = advance + wholeTwips(chars[i].style->letterSpacing);
        }

        // Greedy breaking after spaces; a word wider than the line is
        // broken between characters. Spaces at the end of a line hang.
        struct Line
        {
            int begin, end;
            bool last;
        };
        QVector<Line> lines;
        int lineStart = 0, lastBreak = -1;
        double x = paragraph.indent;
        for (int i = 0; i < n; ++i) {
            const bool space = isSpace(chars[i].code);
            if (wrap && !space && i > lineStart && x + advances[i] > available) {
                const int cut = lastBreak > lineStart ? lastBreak : i;
                lines.append({lineStart, cut, false});
                lineStart = cut;
                lastBreak = -1;
                x = 0;
                for (int j = cut; j < i; ++j)
                    x += advances[j];
            }
            x += advances[i];
            if (space)
                lastBreak = i + 1;
        }
        lines.append({lineStart, n, true});

        for (int l = 0; l < lines.size() && top < d.bounds.bottom(); ++l) {
            const Line &line = lines[l];
            double ascent = 0, descent = 0;
            if (line.begin == line.end) {
                ascent = faces[paragraph.emptyFace].ascent();
                descent = faces[paragraph.emptyFace].descent();
            }
            int visibleEnd = line.begin, spaces = 0;
            double width = 0, visibleWidth = 0;
            for (int i = line.begin; i < line.end; ++i) {
                ascent = std::max(ascent, faces[chars[i].face].ascent());
                descent = std::max(descent, faces[chars[i].face].descent());
                width += advances[i];
                if (!isSpace(chars[i].code)) {
                    visibleEnd = i + 1;
                    visibleWidth = width;
                }
            }
            for (int i = line.begin; i < visibleEnd; ++i)
                spaces += isSpace(chars[i].code) ? 1 : 0;

            const double indent = l == 0 ? paragraph.indent : 0;
            const double slack = inner - indent - visibleWidth;
            double x = d.bounds.left() + kGutter + paragraph.leftMargin + indent;
            double spaceExtra = 0;
            switch (paragraph.align) {
            case TextAlign::Left:
                break;
            case TextAlign::Right:
                x += slack;
                break;
            case TextAlign::Center:
                x += slack / 2;
                break;
            case TextAlign::Justify:
                // The last line of a paragraph stays as it is.
                if (!line.last && spaces > 0 && slack > 0)
                    spaceExtra = slack / spaces;
                break;
            }
            const double baseline = top + ascent;
            for (int i = line.begin; i < visibleEnd && x < d.bounds.right(); ++i) {
                const Face &face = faces[chars[i].face];
                if (glyphs[i] >= 0) {
                    const QColor color = textColor(chars[i].style->color);
                    out.append({color, placedGlyph(face.font->glyph(glyphs[i]).outline, x, baseline, face.scale())});
                }
                x += advances[i];
                if (isSpace(chars[i].code))
                    x += spaceExtra;
            }
            top = baseline + descent + paragraph.leading;
        }
    }
    return out;
}

const QVector<EditTextCharacter::PlacedGlyph> &EditTextCharacter::glyphs() const
{
    std::call_once(m_layoutOnce, [this] { m_glyphs = layout(); });
    return m_glyphs;
}

void EditTextCharacter::drawBorder(const RenderContext &context) const
{
    QPainter &painter = *context.painter;
    const QColor background = context.cxform.apply(Qt::white);
    const QColor frame = context.cxform.apply(Qt::black);
    const QTransform placed = painter.transform();
    if (!placed.isAffine() || placed.isRotating()) {
        QPen pen(frame);
        pen.setCosmetic(true);
        pen.setWidthF(1);
        painter.fillRect(m_definition.bounds, background);
        painter.setPen(pen);
        painter.drawRect(m_definition.bounds);
        return;
    }
    // The frame is one pixel wide on the rows and columns of the bounds'
    // edges, crisp at any quality: its right and bottom lines fall on the
    // first pixels past the bounds, and the bottom-right pixel stays
    // unpainted (players draw the four sides as a path closed on its
    // start, leaving that corner out).
    const QRectF device = placed.mapRect(m_definition.bounds);
    const int left = int(std::lround(device.left())), right = int(std::lround(device.right()));
    const int top = int(std::lround(device.top())), bottom = int(std::lround(device.bottom()));
    painter.save();
    painter.setTransform(QTransform());
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(left, top, right - left, bottom - top), background);
    painter.fillRect(QRect(left, top, right - left + 1, 1), frame);
    painter.fillRect(QRect(left, top, 1, bottom - top + 1), frame);
    painter.fillRect(QRect(right, top, 1, bottom - top), frame);
    painter.fillRect(QRect(left, bottom, right - left, 1), frame);
    painter.restore();
}

void EditTextCharacter::draw(const RenderContext &context) const
{
    if (!context.painter)
        return;
    const Definition &d = m_definition;
    QPainter &painter = *context.painter;
    painter.save();
    painter.setTransform(context.matrix, true);
    painter.setRenderHint(QPainter::Antialiasing, context.antialias);
    if (d.border)
        drawBorder(context);
    painter.setClipRect(d.bounds, Qt::IntersectClip);
    for (const PlacedGlyph &glyph : glyphs())
        painter.fillPath(glyph.path, context.cxform.apply(glyph.color));
    painter.restore();
}

QPainterPath EditTextCharacter::clipPath(double) const
{
    QPainterPath area;
    // Fields of system fonts mask with their box: reading those fonts
    // needs the GUI, which a mask alone may not have.
    if (!m_definition.useOutlines) {
        area.addRect(m_definition.bounds);
        return area;
    }
    area.setFillRule(Qt::WindingFill);
    for (const PlacedGlyph &glyph : glyphs())
        area.addPath(glyph.path.fillRule() == Qt::WindingFill ? glyph.path : glyph.path.simplified());
    return area;
}

} // namespace swf
