#pragma once

#include "Character.h"
#include "render/ShapeDrawing.h"

#include <mutex>

namespace swf {

// A morph shape (DefineMorphShape 1 and 2): start and end edges paired one
// by one and start and end styles, blended at the ratio it is drawn at.
class MorphShapeCharacter : public Character
{
public:
    struct Definition
    {
        QRectF startBounds, endBounds;
        QVector<FillStyle> startFills, endFills;
        QVector<LineStyle> startLines, endLines;
        QVector<ShapeEdge> startEdges;   // with their styles
        QVector<ShapeEdge> endEdges;     // geometry only
    };

    MorphShapeCharacter(int id, Definition definition);
    ~MorphShapeCharacter() override;

    Type type() const override { return Type::MorphShape; }
    QRectF bounds(double ratio = 0.0) const override;
    void draw(const RenderContext &context) const override;
    QPainterPath clipPath(double ratio = 0.0) const override;
    QRectF paintBounds(const QTransform &toDevice, double ratio = 0.0) const override;

    // The shape at `ratio` (0 is the start shape, 1 the end one).
    ShapeDrawing drawingAt(double ratio) const;

private:
    // The drawing at `ratio`, from the cache when the ratio did not change.
    ShapeDrawing cachedDrawing(double ratio) const;

    Definition m_definition;
    // A placed morph is drawn at the same ratio frame after frame until the
    // timeline changes it: the last drawing is kept.
    mutable std::mutex m_cacheMutex;
    mutable double m_cachedRatio = -1;
    mutable ShapeDrawing m_cached;
};

} // namespace swf
