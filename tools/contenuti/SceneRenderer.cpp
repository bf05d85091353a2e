#include "SceneRenderer.h"

#include "Scenery.h"
#include "Story.h"
#include "StoryTimeline.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

static QPointF twipsPoint(QPointF p)
{
    return QPointF(VectorShape::twips(p.x()), VectorShape::twips(p.y()));
}

void SceneRenderer::drawShape(QPainter &painter, const VectorShape &shape, const SwfColorTransform &color)
{
    const QPainterPath path = shape.twipsPath();
    const Paint &paint = shape.paint();
    if (shape.isClosed() && paint.kind != Paint::Kind::None) {
        if (paint.kind == Paint::Kind::Solid) {
            painter.fillPath(path, color.apply(paint.color));
        } else {
            const QPointF a = twipsPoint(paint.start), b = twipsPoint(paint.end);
            QGradient gradient;
            if (paint.kind == Paint::Kind::Linear)
                gradient = QLinearGradient(a, b);
            else
                gradient = QRadialGradient(a, std::hypot(b.x() - a.x(), b.y() - a.y()));
            gradient.setColorAt(0, color.apply(paint.color));
            gradient.setColorAt(1, color.apply(paint.endColor));
            painter.fillPath(path, gradient);
        }
    }
    if (shape.strokeTwips() > 0) {
        QPen pen(color.apply(shape.strokeColor()), shape.strokeTwips(), Qt::SolidLine,
                 Qt::RoundCap, Qt::RoundJoin);
        painter.strokePath(path, pen);
    }
}

QImage SceneRenderer::render(const Story &story, int frame, int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QTransform stage = QTransform::fromScale(double(size) / (Story::kStageSize * 20),
                                                   double(size) / (Story::kStageSize * 20));
    const std::vector<PartFrame> frames = StoryTimeline(story).frame(frame);
    for (size_t i = 0; i < frames.size(); ++i) {
        const PartFrame &f = frames[i];
        if (!f.visible)
            continue;
        const StoryPart &part = story.parts()[i];
        painter.setTransform(f.matrix.toTransform() * stage);
        if (part.isMorph()) {
            drawShape(painter, VectorShape::blended(part.sceneShape(f.morph), part.sceneShape(f.morph + 1),
                                                    f.ratio / 65535.0),
                      f.color);
        } else {
            for (const VectorShape &shape : part.drawing())
                drawShape(painter, shape, f.color);
        }
    }
    const SwfColorTransform veil = StoryTimeline::veil(frame);
    if (veil.mult[3] != 0) {
        painter.setTransform(stage);
        drawShape(painter, Scenery::veil(), veil);
    }
    return image;
}
