#pragma once

#include "Character.h"

#include <QColor>
#include <QVector>

namespace swf {

// Static text (DefineText, DefineText2): glyph outlines placed at decode
// time, one path per glyph, in the text's own twips. Glyphs are filled one
// by one, so that glyphs that overlap do not cut holes in each other.
class TextCharacter : public Character
{
public:
    struct Run
    {
        QColor color;
        QVector<QPainterPath> glyphs;    // twips, before the text matrix
    };

    TextCharacter(int id, const QRectF &bounds, const Matrix &matrix, QVector<Run> runs);

    Type type() const override { return Type::Text; }
    QRectF bounds(double ratio = 0.0) const override;
    void draw(const RenderContext &context) const override;
    QPainterPath clipPath(double ratio = 0.0) const override;
    QRectF paintBounds(const QTransform &toDevice, double ratio = 0.0) const override;

private:
    QRectF m_bounds;
    QRectF m_ink;                    // of all glyphs, after the text matrix
    Matrix m_matrix;
    QVector<Run> m_runs;
};

} // namespace swf
