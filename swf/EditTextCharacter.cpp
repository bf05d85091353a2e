#include "EditTextCharacter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>

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

EditTextCharacter::EditTextCharacter(int id, Definition definition)
    : Character(id), m_definition(std::move(definition))
{
    if (m_definition.password)
        m_definition.text.fill(QLatin1Char('*'));
    if (usesOutlines())
        m_outlines = outlinePath();
}

QRectF EditTextCharacter::bounds(double) const { return m_definition.bounds; }

bool EditTextCharacter::usesOutlines() const
{
    return m_definition.useOutlines && m_definition.font && m_definition.font->glyphCount() > 0;
}

double EditTextCharacter::textWidth(const QString &text) const
{
    const Definition &d = m_definition;
    if (usesOutlines()) {
        const FontCharacter &font = *d.font;
        const double scale = d.height / font.emSize();
        double width = 0;
        for (QChar c : text) {
            const int g = font.glyphForCode(c.unicode());
            if (g < 0) {
                width += d.height / 3;      // a missing glyph leaves a space
                continue;
            }
            const auto &glyph = font.glyph(g);
            width += (glyph.advance >= 0 ? glyph.advance : glyph.outline.boundingRect().right()) * scale;
        }
        return width;
    }
    const bool bold = d.font && d.font->bold();
    const bool italic = d.font && d.font->italic();
    return QFontMetricsF(systemFont(d.fontName, d.height, bold, italic)).horizontalAdvance(text);
}

QVector<EditTextCharacter::Line> EditTextCharacter::layoutLines() const
{
    const Definition &d = m_definition;
    QString text = d.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Wrapping lets a line run into the right gutter: players keep lines
    // that overflow the inner width by a little.
    const double available = d.bounds.width() - kGutter - d.leftMargin - d.rightMargin;

    QVector<Line> lines;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        if (!d.wordWrap || !d.multiline) {
            lines.append({paragraph, textWidth(paragraph), true});
            continue;
        }
        // Greedy wrapping at spaces; a word wider than the field stays whole.
        // Widths add up word by word (kerning across words is ignored), so
        // long texts cost no more than measuring each word once.
        const QStringList words = paragraph.split(QLatin1Char(' '));
        const double spaceWidth = textWidth(QStringLiteral(" "));
        QString current;
        double currentWidth = 0;
        bool first = true;
        for (const QString &word : words) {
            const double wordWidth = textWidth(word);
            const double indent = first ? d.indent : 0;
            if (!current.isEmpty() && currentWidth + spaceWidth + wordWidth > available - indent) {
                lines.append({current, currentWidth, first});
                first = false;
                current = word;
                currentWidth = wordWidth;
            } else if (current.isEmpty()) {
                current = word;
                currentWidth = wordWidth;
            } else {
                current += QLatin1Char(' ') + word;
                currentWidth += spaceWidth + wordWidth;
            }
        }
        lines.append({current, currentWidth, first});
    }
    return lines;
}

QPainterPath EditTextCharacter::outlinePath() const
{
    const Definition &d = m_definition;
    const FontCharacter &font = *d.font;
    const double scale = d.height / font.emSize();
    const double ascent = font.hasLayout() ? font.ascent() * scale : d.height * 0.8;
    const double descent = font.hasLayout() ? font.descent() * scale : d.height * 0.2;
    const double lineStep = ascent + descent + d.leading;
    QPainterPath path;
    double baseline = d.bounds.top() + kGutter + ascent;
    for (const Line &line : layoutLines()) {
        double x = d.bounds.left() + kGutter + d.leftMargin + (line.firstOfParagraph ? d.indent : 0);
        const double slack = d.bounds.width() - 2 * kGutter - d.leftMargin - d.rightMargin - line.width;
        if (d.align == Align::Center)
            x += slack / 2;
        else if (d.align == Align::Right)
            x += slack;
        for (QChar c : line.text) {
            const int g = font.glyphForCode(c.unicode());
            if (g < 0) {
                x += d.height / 3;
                continue;
            }
            const auto &glyph = font.glyph(g);
            QTransform place;
            place.translate(x, baseline);
            place.scale(scale, scale);
            path.addPath(place.map(glyph.outline));
            x += (glyph.advance >= 0 ? glyph.advance : glyph.outline.boundingRect().right()) * scale;
        }
        baseline += lineStep;
    }
    return path;
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
    const QColor color = context.cxform.apply(d.color);
    if (usesOutlines()) {
        painter.fillPath(m_outlines, color);
    } else {
        const bool bold = d.font && d.font->bold();
        const bool italic = d.font && d.font->italic();
        const QFont font = systemFont(d.fontName, d.height, bold, italic);
        const QFontMetricsF metrics(font);
        painter.setFont(font);
        painter.setPen(color);
        double baseline = d.bounds.top() + kGutter + metrics.ascent();
        std::call_once(m_linesOnce, [this] { m_lines = layoutLines(); });
        for (const Line &line : m_lines) {
            double x = d.bounds.left() + kGutter + d.leftMargin + (line.firstOfParagraph ? d.indent : 0);
            const double slack = d.bounds.width() - 2 * kGutter - d.leftMargin - d.rightMargin - line.width;
            if (d.align == Align::Center)
                x += slack / 2;
            else if (d.align == Align::Right)
                x += slack;
            painter.drawText(QPointF(x, baseline), line.text);
            baseline += metrics.ascent() + metrics.descent() + d.leading;
        }
    }
    painter.restore();
}

QPainterPath EditTextCharacter::clipPath(double) const
{
    if (usesOutlines())
        return m_outlines;
    QPainterPath area;
    area.addRect(m_definition.bounds);
    return area;
}

QString EditTextCharacter::plainTextOfHtml(const QString &html, QColor *color, Align *align)
{
    static const QRegularExpression colorAttribute(QStringLiteral("color\\s*=\\s*[\"']?#([0-9a-fA-F]{6})"),
                                                   QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression alignAttribute(QStringLiteral("align\\s*=\\s*[\"']?(left|right|center|justify)"),
                                                   QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression breakTag(QStringLiteral("<br\\s*/?>|</p\\s*>|</li\\s*>"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression anyTag(QStringLiteral("<[^>]*>"));
    if (color) {
        const auto match = colorAttribute.match(html);
        if (match.hasMatch())
            *color = QColor(QLatin1Char('#') + match.captured(1));
    }
    if (align) {
        const auto match = alignAttribute.match(html);
        if (match.hasMatch()) {
            const QString a = match.captured(1).toLower();
            *align = a == QLatin1String("right") ? Align::Right
                   : a == QLatin1String("center") ? Align::Center
                   : a == QLatin1String("justify") ? Align::Justify
                                                   : Align::Left;
        }
    }
    QString text = html;
    text.replace(breakTag, QStringLiteral("\n"));
    text.remove(anyTag);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);                // the closing </p> of the last paragraph
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&nbsp;"), QString(QChar(0xa0)));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace swf
