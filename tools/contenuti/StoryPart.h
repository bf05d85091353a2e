#pragma once

#include "VectorShape.h"

#include <QColor>
#include <QPointF>
#include <QString>
#include <array>
#include <initializer_list>
#include <vector>

constexpr int kScenes = 5;

// Where and how a part stands in one scene. The part's own drawing is
// made around its origin, which goes to `pos`; it is scaled, then turned
// (degrees, clockwise on screen) about that origin.
struct PartState
{
    bool visible = true;
    QPointF pos;
    double scale = 1.0;
    double scaleY = 0.0;         // 0: the same as `scale`
    double rotation = 0.0;
    QColor tint = Qt::white;     // multiplies every colour of the part
    double alpha = 1.0;
};

// One thing in a story (the sun, the stem, a cloud): a group of shapes
// that moves as one, with its state in each of the five scenes. A
// morphing part instead has one shape per scene, all of one structure,
// and changes its outline from scene to scene.
class StoryPart
{
public:
    StoryPart(const QString &name, std::vector<VectorShape> drawing);
    static StoryPart morphing(const QString &name, std::array<VectorShape, kScenes> shapes);

    const QString &name() const { return m_name; }
    bool isMorph() const { return m_morph; }
    const std::vector<VectorShape> &drawing() const { return m_drawing; }
    // Morphing parts: the shape of scene `k`.
    const VectorShape &sceneShape(int k) const { return m_drawing[size_t(k)]; }

    std::array<PartState, kScenes> states;

    StoryPart &at(QPointF pos);                          // in every scene
    StoryPart &onlyIn(std::initializer_list<int> scenes); // hidden elsewhere
    // Fills the whole stage (a sky): when one backdrop gives way to
    // another above or below it, the lower one stays whole while the upper
    // one fades, so the two dissolve into each other instead of both
    // thinning over the background.
    StoryPart &backdrop();
    bool isBackdrop() const { return m_backdrop; }
    PartState &operator[](int scene) { return states[size_t(scene)]; }

private:
    QString m_name;
    std::vector<VectorShape> m_drawing;
    bool m_morph = false;
    bool m_backdrop = false;
};
