#pragma once

#include "Character.h"
#include "character/FontCharacter.h"
#include "character/HtmlText.h"

#include <QColor>
#include <QString>
#include <memory>
#include <mutex>

namespace swf {

// A text field (DefineEditText) showing its initial text, in styled
// paragraphs. Every run is drawn from glyph outlines: those of an embedded
// font when the field uses outlines and the movie has the font, otherwise
// those of a font of the system standing in for the named device font.
class EditTextCharacter : public Character
{
public:
    using Align = TextAlign;

    struct Definition
    {
        QRectF bounds;               // twips
        QVector<TextParagraph> paragraphs;
        TextStyle style;             // the field's own, for empty paragraphs
        std::shared_ptr<const FontCharacter> font;           // the field's own font
        QVector<std::shared_ptr<const FontCharacter>> fonts; // fonts HTML runs may name
        double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;   // twips
        bool useOutlines = false;
        bool wordWrap = false;
        bool multiline = false;
        bool password = false;
        bool border = false;
    };

    EditTextCharacter(int id, Definition definition);

    Type type() const override { return Type::EditText; }
    QRectF bounds(double ratio = 0.0) const override;
    void draw(const RenderContext &context) const override;
    QPainterPath clipPath(double ratio = 0.0) const override;

    // The glyphs as laid out, one path per glyph in the field's twips, each
    // with the colour it is drawn in.
    struct PlacedGlyph
    {
        QColor color;
        QPainterPath path;
    };
    const QVector<PlacedGlyph> &glyphs() const;

private:
    struct Face;
    QVector<PlacedGlyph> layout() const;
    void drawBorder(const RenderContext &context) const;

    Definition m_definition;
    // Laid out on first use: fonts of the system need the GUI application
    // that drawing implies.
    mutable std::once_flag m_layoutOnce;
    mutable QVector<PlacedGlyph> m_glyphs;
};

} // namespace swf
