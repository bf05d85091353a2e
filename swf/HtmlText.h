#pragma once

#include <QColor>
#include <QString>
#include <QVector>

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

struct TextParagraph
{
    TextAlign align = TextAlign::Left;
    QVector<TextSpan> spans;
};

// The text of a field in paragraphs of styled spans. HTML fields use the
// subset of HTML that players read: <p align>, <br>, <b>, <i>, <font face
// size color kerning letterSpacing> and the common entities; other tags
// are dropped, unclosed ones end with the text. Plain text breaks into
// paragraphs at line breaks.
QVector<TextParagraph> parseHtmlText(const QString &html, const TextStyle &defaults, TextAlign align);
QVector<TextParagraph> plainTextParagraphs(const QString &text, const TextStyle &style, TextAlign align);

} // namespace swf
