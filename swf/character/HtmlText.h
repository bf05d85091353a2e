#pragma once

#include <QColor>
#include <QString>
#include <QVector>
#include <optional>

namespace swf {

enum class TextAlign { Left, Right, Center, Justify };

// The look of a run of text in a text field.
struct TextStyle
{
    QString face;                    // font name; empty for the field's own font
    double height = 240;             // twips
    QColor color = Qt::black;
    bool bold = false;
    bool italic = false;
    bool kerning = false;            // apply the font's kerning pairs
    double letterSpacing = 0;        // twips added after each character
};

struct TextSpan
{
    QString text;
    TextStyle style;
};

// What <textformat> sets for the paragraphs inside it, in twips; unset
// values are the field's own.
struct ParagraphFormat
{
    std::optional<double> leading, indent, blockIndent, leftMargin, rightMargin;
};

struct TextParagraph
{
    TextAlign align = TextAlign::Left;
    QVector<TextSpan> spans;
    ParagraphFormat format;
};

// The text of a field in paragraphs of styled spans. HTML fields use the
// subset of HTML that players read: <p align>, <br>, <b>, <i>, <font face
// size color kerning letterSpacing>, <textformat leading indent blockindent
// leftmargin rightmargin> and the common entities; other tags are dropped,
// unclosed ones end with the text. Plain text breaks into
// paragraphs at line breaks.
QVector<TextParagraph> parseHtmlText(const QString &html, const TextStyle &defaults, TextAlign align);
QVector<TextParagraph> plainTextParagraphs(const QString &text, const TextStyle &style, TextAlign align);

} // namespace swf
