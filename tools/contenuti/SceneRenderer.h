#pragma once

#include <QImage>

class QPainter;
class Story;
class VectorShape;
struct SwfColorTransform;

// Draws a story's frame with QPainter from the same rounded shapes,
// matrices and colour transforms that the movie holds: this makes the
// story's GIF pictures, and is what a movie frame is compared with.
class SceneRenderer
{
public:
    // The frame (0-based, see StoryTimeline) as a `size` x `size` opaque image.
    static QImage render(const Story &story, int frame, int size);
    // `painter` already maps twips to its device.
    static void drawShape(QPainter &painter, const VectorShape &shape, const SwfColorTransform &color);
};
