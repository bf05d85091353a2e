#pragma once

#include "Character.h"
#include "FontCharacter.h"
#include "HtmlText.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <memory>
#include <mutex>

namespace swf {

// A text field (DefineEditText) showing its initial text, in styled
// paragraphs: each run drawn with the outlines of an embedded font when the
// field uses outlines and the movie has the font, otherwise with a font of
// the system.
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

private:
    struct Face;
    struct Layout
    {
        struct Outline
        {
            QColor color;
            QPainterPath path;
        };
        struct Words
        {
            QFont font;
            QColor color;
            QPointF origin;
            QString text;
        };
        QVector<Outline> outlines;
        QVector<Words> words;
    };
    Face faceFor(const TextStyle &style) const;
    Layout layout() const;
    const Layout &cachedLayout() const;

    Definition m_definition;
    // Laid out on first use: system fonts need the GUI application that
    // drawing implies.
    mutable std::once_flag m_layoutOnce;
    mutable Layout m_layout;
};

} // namespace swf
