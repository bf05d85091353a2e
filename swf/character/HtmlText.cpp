#include "character/HtmlText.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Named entities of the common set and numeric ones (&#65; &#x41;), in one
// pass so that "&amp;lt;" stays "&lt;". Anything else is kept as written.
QString decodeEntities(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype amp = text.indexOf(QLatin1Char('&'), pos);
        if (amp < 0) {
            out += QStringView(text).mid(pos);
            break;
        }
        out += QStringView(text).mid(pos, amp - pos);
        const qsizetype semi = text.indexOf(QLatin1Char(';'), amp);
        const QString name = semi > amp && semi - amp <= 10 ? text.mid(amp + 1, semi - amp - 1) : QString();
        QString decoded;
        if (name == QLatin1String("lt"))
            decoded = QStringLiteral("<");
        else if (name == QLatin1String("gt"))
            decoded = QStringLiteral(">");
        else if (name == QLatin1String("quot"))
            decoded = QStringLiteral("\"");
        else if (name == QLatin1String("apos"))
            decoded = QStringLiteral("'");
        else if (name == QLatin1String("nbsp"))
            decoded = QString(QChar(0xa0));
        else if (name == QLatin1String("amp"))
            decoded = QStringLiteral("&");
        else if (name.startsWith(QLatin1Char('#')) && name.size() > 1) {
            bool ok = false;
            const bool hex = name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X');
            const uint code = (hex ? name.mid(2) : name.mid(1)).toUInt(&ok, hex ? 16 : 10);
            // Codes past Unicode, surrogates and NUL are not characters.
            if (ok && code > 0 && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff)) {
                const char32_t c = code;
                decoded = QString::fromUcs4(&c, 1);
            }
        }
        if (decoded.isNull()) {
            out += QLatin1Char('&');
            pos = amp + 1;
        } else {
            out += decoded;
            pos = semi + 1;
        }
    }
    return out;
}

enum class Attribute {
    Align, Face, Size, Color, Kerning, LetterSpacing,
    Leading, Indent, BlockIndent, LeftMargin, RightMargin
};

QString attribute(const QString &tag, Attribute which)
{
    // Compiled once: a long HTML text has many tags.
    static const QString value = QStringLiteral("\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))");
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral("\\balign") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bface") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bsize") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bcolor") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bkerning") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bletterSpacing") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bleading") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bindent") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bblockindent") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bleftmargin") + value, QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\brightmargin") + value, QRegularExpression::CaseInsensitiveOption),
    };
    const auto m = patterns[int(which)].match(tag);
    if (!m.hasMatch())
        return {};
    for (int i = 1; i <= 3; ++i)
        if (m.capturedStart(i) >= 0)
            return m.captured(i);
    return {};
}

// A length in pixels as twips; absent or unreadable values leave `out` alone.
void readPixels(const QString &tag, Attribute which, std::optional<double> &out)
{
    bool ok = false;
    const double pixels = attribute(tag, which).toDouble(&ok);
    if (ok && std::isfinite(pixels))
        out = std::clamp(pixels, -10000.0, 10000.0) * 20;
}

TextAlign alignFrom(const QString &value, TextAlign fallback)
{
    const QString v = value.toLower();
    return v == QLatin1String("left")      ? TextAlign::Left
         : v == QLatin1String("right")     ? TextAlign::Right
         : v == QLatin1String("center")    ? TextAlign::Center
         : v == QLatin1String("justify")   ? TextAlign::Justify
                                           : fallback;
}

} // namespace

QVector<TextParagraph> plainTextParagraphs(const QString &text, const TextStyle &style, TextAlign align)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QVector<TextParagraph> paragraphs;
    for (const QString &line : t.split(QLatin1Char('\n')))
        paragraphs.append({align, {{line, style}}, {}});
    return paragraphs;
}

QVector<TextParagraph> parseHtmlText(const QString &html, const TextStyle &defaults, TextAlign align)
{
    QVector<TextParagraph> paragraphs(1, TextParagraph{align, {}, {}});
    // Each opening tag pushes the style it starts; its closing tag pops the
    // most recent entry of the same name. <textformat> keeps its own stack.
    QVector<QPair<QString, TextStyle>> stack{{QString(), defaults}};
    QVector<ParagraphFormat> formats(1);
    bool paragraphOpen = false;
    auto addText = [&](const QString &raw) {
        const QString text = decodeEntities(raw);
        if (!text.isEmpty())
            paragraphs.last().spans.append({text, stack.last().second});
    };
    auto newParagraph = [&](TextAlign a) {
        if (!paragraphs.last().spans.isEmpty() || paragraphOpen)
            paragraphs.append({a, {}, formats.last()});
        else
            paragraphs.last().align = a;
    };

    qsizetype pos = 0;
    while (pos < html.size()) {
        const qsizetype open = html.indexOf(QLatin1Char('<'), pos);
        if (open < 0) {
            addText(html.mid(pos));
            break;
        }
        addText(html.mid(pos, open - pos));
        const qsizetype close = html.indexOf(QLatin1Char('>'), open);
        if (close < 0)
            break;                   // a tag cut off at the end
        const QString tag = html.mid(open + 1, close - open - 1).trimmed();
        pos = close + 1;
        const bool closing = tag.startsWith(QLatin1Char('/'));
        const QString name = (closing ? tag.mid(1) : tag).section(QLatin1Char(' '), 0, 0).toLower().remove(QLatin1Char('/'));
        if (name == QLatin1String("br")) {
            newParagraph(paragraphs.last().align);
            paragraphOpen = true;
            continue;
        }
        if (name == QLatin1String("textformat")) {
            if (closing) {
                if (formats.size() > 1)
                    formats.removeLast();
                if (paragraphs.last().spans.isEmpty())
                    paragraphs.last().format = formats.last();
            } else {
                ParagraphFormat format = formats.last();
                readPixels(tag, Attribute::Leading, format.leading);
                readPixels(tag, Attribute::Indent, format.indent);
                readPixels(tag, Attribute::BlockIndent, format.blockIndent);
                readPixels(tag, Attribute::LeftMargin, format.leftMargin);
                readPixels(tag, Attribute::RightMargin, format.rightMargin);
                formats.append(format);
                // It usually comes before the <p> it formats.
                if (paragraphs.last().spans.isEmpty())
                    paragraphs.last().format = format;
            }
            continue;
        }
        if (name == QLatin1String("p") || name == QLatin1String("li")) {
            if (closing) {
                paragraphOpen = false;
                paragraphs.append({align, {}, formats.last()});
            } else {
                newParagraph(alignFrom(attribute(tag, Attribute::Align), align));
                paragraphOpen = true;
            }
            continue;
        }
        if (name != QLatin1String("b") && name != QLatin1String("i") && name != QLatin1String("font"))
            continue;
        if (closing) {
            for (qsizetype i = stack.size() - 1; i > 0; --i) {
                if (stack[i].first == name) {
                    stack.remove(i);
                    break;
                }
            }
            continue;
        }
        TextStyle style = stack.last().second;
        if (name == QLatin1String("b"))
            style.bold = true;
        else if (name == QLatin1String("i"))
            style.italic = true;
        else {
            const QString face = attribute(tag, Attribute::Face);
            if (!face.isEmpty())
                style.face = face;
            const QString color = attribute(tag, Attribute::Color);
            if (QColor::isValidColorName(color))
                style.color = QColor(color);
            const QString size = attribute(tag, Attribute::Size);
            bool ok = false;
            const double value = size.toDouble(&ok);
            // Sizes are pixels; "+n" and "-n" are relative to the size in force.
            if (ok && value != 0) {
                const bool relative = size.startsWith(QLatin1Char('+')) || size.startsWith(QLatin1Char('-'));
                style.height = std::max(20.0, relative ? style.height + value * 20 : value * 20);
            }
            const QString kerning = attribute(tag, Attribute::Kerning);
            if (!kerning.isEmpty())
                style.kerning = kerning.toInt() != 0;
            bool spacingOk = false;
            const double spacing = attribute(tag, Attribute::LetterSpacing).toDouble(&spacingOk);
            // Pixels, possibly negative or fractional.
            if (spacingOk && std::isfinite(spacing))
                style.letterSpacing = std::clamp(spacing, -1000.0, 1000.0) * 20;
        }
        stack.append({name, style});
    }
    // The empty paragraph a final </p> opens is not a line of its own.
    if (paragraphs.size() > 1 && paragraphs.last().spans.isEmpty() && !paragraphOpen)
        paragraphs.removeLast();
    return paragraphs;
}

} // namespace swf
