#include "EditTextCharacter.h"

#include <QFontMetricsF>
#include <QPainter>

namespace swf {

namespace {

// Text fields keep 2 pixels between their bounds and the text.
constexpr double kGutter = 40;

QFont systemFont(const QString &name, double height, bool bold, bool italic)
{
    QString family = name;
    if (family.isEmpty() || family == QLatin1String("_sans"))
        family = QStringLiteral("Liberation Sans");
    else if (family == QLatin1String("_serif"))
        family = QStringLiteral("Liberation Serif");
    else if (family == QLatin1String("_typewriter"))
        family = QStringLiteral("Liberation Mono");
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    // Twips as pixels: the painter's transform scales them down.
    font.setPixelSize(std::max(1, int(std::lround(height))));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

// How one style is measured and drawn: an embedded font's outlines, or a
// font of the system.
struct EditTextCharacter::Face
{
    std::shared_ptr<const FontCharacter> embedded;
    QFont system;
    double height = 240;

    double scale() const { return height / embedded->emSize(); }
    double glyphAdvance(int g) const
    {
        const auto &glyph = embedded->glyph(g);
        return (glyph.advance >= 0 ? glyph.advance : glyph.outline.boundingRect().right()) * scale();
    }
    double width(const QString &text) const
    {
        if (!embedded)
            return QFontMetricsF(system).horizontalAdvance(text);
        double w = 0;
        for (QChar c : text) {
            const int g = embedded->glyphForCode(c.unicode());
            w += g < 0 ? height / 3 : glyphAdvance(g);    // a missing glyph leaves a space
        }
        return w;
    }
    double ascent() const
    {
        if (!embedded)
            return QFontMetricsF(system).ascent();
        return embedded->hasLayout() ? embedded->ascent() * scale() : height * 0.8;
    }
    double descent() const
    {
        if (!embedded)
            return QFontMetricsF(system).descent();
        return embedded->hasLayout() ? embedded->descent() * scale() : height * 0.2;
    }
    void addOutlines(QPainterPath &path, const QString &text, double x, double baseline) const
    {
        for (QChar c : text) {
            const int g = embedded->glyphForCode(c.unicode());
            if (g < 0) {
                x += height / 3;
                continue;
            }
            QTransform place;
            place.translate(x, baseline);
            place.scale(scale(), scale());
            path.addPath(place.map(embedded->glyph(g).outline));
            x += glyphAdvance(g);
        }
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

EditTextCharacter::Face EditTextCharacter::faceFor(const TextStyle &style) const
{
    const Definition &d = m_definition;
    Face face;
    face.height = style.height;
    if (d.useOutlines) {
        // The font the run names, best in its style; else the field's own.
        std::shared_ptr<const FontCharacter> named, styled;
        if (!style.face.isEmpty()) {
            for (const auto &font : d.fonts) {
                if (!font || font->glyphCount() == 0 || font->name().compare(style.face, Qt::CaseInsensitive) != 0)
                    continue;
                if (!named)
                    named = font;
                if (font->bold() == style.bold && font->italic() == style.italic)
                    styled = font;
            }
        }
        face.embedded = styled ? styled : named;
        if (!face.embedded && d.font && d.font->glyphCount() > 0)
            face.embedded = d.font;
    }
    if (!face.embedded) {
        const QString name = style.face.isEmpty() && d.font ? d.font->name() : style.face;
        face.system = systemFont(name, style.height, style.bold, style.italic);
    }
    return face;
}

EditTextCharacter::Layout EditTextCharacter::layout() const
{
    const Definition &d = m_definition;
    // Wrapping lets a line run into the right gutter: players keep lines
    // that overflow the inner width by a little.
    const double available = d.bounds.width() - kGutter - d.leftMargin - d.rightMargin;
    const double inner = d.bounds.width() - 2 * kGutter - d.leftMargin - d.rightMargin;

    struct Piece
    {
        QString text;
        int face;
        double width;
    };
    struct Line
    {
        QVector<Piece> pieces;
        double width = 0, ascent = 0, descent = 0;
        bool first = true;
        TextAlign align = TextAlign::Left;
    };
    QVector<Face> faces;
    QVector<TextStyle> styles;
    auto faceIndex = [&](const TextStyle &style) {
        for (int i = 0; i < styles.size(); ++i) {
            const TextStyle &s = styles[i];
            if (s.face == style.face && s.height == style.height && s.bold == style.bold && s.italic == style.italic)
                return i;
        }
        styles.append(style);
        faces.append(faceFor(style));
        return int(faces.size()) - 1;
    };

    // Greedy wrapping at spaces; a word wider than the field stays whole.
    // Widths add up word by word, so long texts cost one measure a word.
    QVector<Line> lines;
    QVector<QVector<QColor>> colors;  // of the pieces, line by line
    const bool wrap = d.wordWrap && d.multiline;
    for (const TextParagraph &paragraph : d.paragraphs) {
        Line line;
        line.align = paragraph.align;
        QVector<QColor> lineColors;
        // An empty paragraph still takes the height of a line.
        const int firstFace = faceIndex(paragraph.spans.isEmpty() ? d.style : paragraph.spans.first().style);
        line.ascent = faces[firstFace].ascent();
        line.descent = faces[firstFace].descent();
        for (const TextSpan &span : paragraph.spans) {
            const int f = faceIndex(span.style);
            const QStringList words = span.text.split(QLatin1Char(' '));
            for (int w = 0; w < words.size(); ++w) {
                const QString token = w + 1 < words.size() ? words[w] + QLatin1Char(' ') : words[w];
                if (token.isEmpty())
                    continue;
                const double width = faces[f].width(token);
                const double trimmed = token.endsWith(QLatin1Char(' ')) ? faces[f].width(words[w]) : width;
                const double indent = line.first ? d.indent : 0;
                if (wrap && !line.pieces.isEmpty() && line.width + trimmed > available - indent) {
                    lines.append(line);
                    colors.append(lineColors);
                    lineColors.clear();
                    const TextAlign align = line.align;
                    line = Line();
                    line.first = false;
                    line.align = align;
                    line.ascent = faces[f].ascent();
                    line.descent = faces[f].descent();
                }
                line.pieces.append({token, f, width});
                lineColors.append(span.style.color);
                line.width += width;
                line.ascent = std::max(line.ascent, faces[f].ascent());
                line.descent = std::max(line.descent, faces[f].descent());
            }
        }
        lines.append(line);
        colors.append(lineColors);
    }

    Layout out;
    double top = d.bounds.top() + kGutter;
    for (int l = 0; l < lines.size(); ++l) {
        const Line &line = lines[l];
        const double baseline = top + line.ascent;
        double x = d.bounds.left() + kGutter + d.leftMargin + (line.first ? d.indent : 0);
        const double slack = inner - line.width;
        if (line.align == TextAlign::Center)
            x += slack / 2;
        else if (line.align == TextAlign::Right)
            x += slack;
        for (int p = 0; p < line.pieces.size(); ++p) {
            const Piece &piece = line.pieces[p];
            const Face &face = faces[piece.face];
            const QColor color = colors[l][p];
            if (face.embedded) {
                if (out.outlines.isEmpty() || out.outlines.last().color != color)
                    out.outlines.append({color, QPainterPath()});
                face.addOutlines(out.outlines.last().path, piece.text, x, baseline);
            } else {
                out.words.append({face.system, color, QPointF(x, baseline), piece.text});
            }
            x += piece.width;
        }
        top = baseline + line.descent + d.leading;
    }
    return out;
}

const EditTextCharacter::Layout &EditTextCharacter::cachedLayout() const
{
    std::call_once(m_layoutOnce, [this] { m_layout = layout(); });
    return m_layout;
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
    painter.setRenderHint(QPainter::TextAntialiasing, context.antialias);
    if (d.border) {
        painter.fillRect(d.bounds, context.cxform.apply(Qt::white));
        QPen pen(context.cxform.apply(Qt::black));
        pen.setCosmetic(true);
        pen.setWidthF(1);
        painter.setPen(pen);
        if (context.matrix.isAffine() && !context.matrix.isRotating()) {
            // The frame on the outermost pixels inside the bounds, crisp.
            const QTransform placed = painter.transform();
            painter.setTransform(QTransform());
            painter.drawRect(placed.mapRect(d.bounds).adjusted(0.5, 0.5, -0.5, -0.5));
            painter.setTransform(placed);
        } else {
            painter.drawRect(d.bounds);
        }
    }
    painter.setClipRect(d.bounds, Qt::IntersectClip);
    const Layout &layout = cachedLayout();
    for (const auto &outline : layout.outlines)
        painter.fillPath(outline.path, context.cxform.apply(outline.color));
    for (const auto &words : layout.words) {
        painter.setFont(words.font);
        painter.setPen(context.cxform.apply(words.color));
        painter.drawText(words.origin, words.text);
    }
    painter.restore();
}

QPainterPath EditTextCharacter::clipPath(double) const
{
    QPainterPath area;
    // Fields of system fonts mask with their box: measuring them needs the
    // GUI, which a mask alone may not have.
    if (!m_definition.useOutlines) {
        area.addRect(m_definition.bounds);
        return area;
    }
    for (const auto &outline : cachedLayout().outlines)
        area.addPath(outline.path);
    return area;
}

} // namespace swf
