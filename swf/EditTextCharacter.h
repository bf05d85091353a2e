#pragma once

#include "Character.h"
#include "FontCharacter.h"

#include <QColor>
#include <QString>
#include <memory>
#include <mutex>

namespace swf {

// A text field (DefineEditText) showing its initial text: with the outlines
// of an embedded font, or with a font of the system when the field does not
// use outlines or names no font.
class EditTextCharacter : public Character
{
public:
    enum class Align { Left, Right, Center, Justify };

    struct Definition
    {
        QRectF bounds;               // twips
        QString text;                // plain text; HTML already reduced to it
        std::shared_ptr<const FontCharacter> font;
        QString fontName;            // for system fonts
        double height = 240;         // twips
        QColor color = Qt::black;
        Align align = Align::Left;
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

    const Definition &definition() const { return m_definition; }

    // The text of an HTML field as shown: tags dropped, line breaks kept,
    // entities decoded. Also reports the first colour and alignment set.
    static QString plainTextOfHtml(const QString &html, QColor *color = nullptr, Align *align = nullptr);

private:
    struct Line
    {
        QString text;
        double width = 0;
        bool firstOfParagraph = true;
    };
    bool usesOutlines() const;
    double textWidth(const QString &text) const;
    QVector<Line> layoutLines() const;
    QPainterPath outlinePath() const;

    Definition m_definition;
    QPainterPath m_outlines;         // laid out once when the embedded font draws the text
    // System fonts are measured on first draw, when a GUI application surely exists.
    mutable std::once_flag m_linesOnce;
    mutable QVector<Line> m_lines;
};

} // namespace swf
