#include "StoryTimeline.h"

#include <QTransform>
#include <cmath>

namespace {

double ease(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(float(mix(a.redF(), b.redF(), t)), float(mix(a.greenF(), b.greenF(), t)),
                            float(mix(a.blueF(), b.blueF(), t)));
}

// A state between two scenes. A part that appears or disappears fades
// where it stands instead of sliding from nowhere.
PartState between(const PartState &a, const PartState &b, double t)
{
    if (!a.visible && !b.visible)
        return a;
    if (!b.visible) {
        PartState s = a;
        s.alpha = a.alpha * (1.0 - t);
        return s;
    }
    if (!a.visible) {
        PartState s = b;
        s.alpha = b.alpha * t;
        return s;
    }
    PartState s;
    s.pos = QPointF(mix(a.pos.x(), b.pos.x(), t), mix(a.pos.y(), b.pos.y(), t));
    s.scale = mix(a.scale, b.scale, t);
    s.scaleY = mix(a.scaleY > 0 ? a.scaleY : a.scale, b.scaleY > 0 ? b.scaleY : b.scale, t);
    s.rotation = mix(a.rotation, b.rotation, t);
    s.tint = mix(a.tint, b.tint, t);
    s.alpha = mix(a.alpha, b.alpha, t);
    return s;
}

PartFrame rounded(const PartState &s, int morph, double ratio)
{
    PartFrame f;
    f.visible = s.visible && s.alpha > 0.0;
    QTransform m;
    m.translate(VectorShape::twips(s.pos.x()), VectorShape::twips(s.pos.y()));
    m.rotate(s.rotation);
    m.scale(s.scale, s.scaleY > 0 ? s.scaleY : s.scale);
    f.matrix = SwfMatrix::fromTransform(m);
    f.color = SwfColorTransform::fromTint(s.tint, s.alpha);
    f.morph = morph;
    f.ratio = int(std::lround(ratio * 65535.0));
    if (f.color.mult[3] == 0)
        f.visible = false;
    return f;
}

// Whether backdrop `index` goes or comes between scenes `a` and `b` while
// a backdrop above it does the opposite: it then stays whole under the one
// that fades.
bool dissolvesUnder(const std::vector<StoryPart> &parts, size_t index, int a, int b)
{
    const StoryPart &part = parts[index];
    const bool here = part.states[size_t(a)].visible, there = part.states[size_t(b)].visible;
    if (!part.isBackdrop() || here == there)
        return false;
    for (size_t j = index + 1; j < parts.size(); ++j) {
        const StoryPart &above = parts[j];
        if (above.isBackdrop() && above.states[size_t(a)].visible == there
            && above.states[size_t(b)].visible == here)
            return true;
    }
    return false;
}

// Where frame `index` stands: its scene, and how far (0..1) into the
// change to the next.
void place(int index, int *scene, double *t)
{
    constexpr int period = StoryTimeline::kHoldFrames + StoryTimeline::kTransitionFrames;
    index = ((index % StoryTimeline::kFrames) + StoryTimeline::kFrames) % StoryTimeline::kFrames;
    *scene = index / period;
    const int within = index % period;
    *t = within < StoryTimeline::kHoldFrames
        ? 0.0 : double(within - StoryTimeline::kHoldFrames + 1) / StoryTimeline::kTransitionFrames;
}

} // namespace

SwfColorTransform StoryTimeline::veil(int index)
{
    int scene = 0;
    double t = 0.0;
    place(index, &scene, &t);
    if (scene + 1 < kScenes || t == 0.0)
        return SwfColorTransform::fromTint(Qt::white, 0.0);
    return SwfColorTransform::fromTint(Qt::white, t <= 0.5 ? ease(t * 2.0) : 1.0 - ease(t * 2.0 - 1.0));
}

std::vector<PartFrame> StoryTimeline::frame(int index) const
{
    int scene = 0;
    double t = 0.0;
    place(index, &scene, &t);

    std::vector<PartFrame> frames;
    const std::vector<StoryPart> &parts = m_story.parts();
    for (size_t i = 0; i < parts.size(); ++i) {
        const StoryPart &part = parts[i];
        const PartState &here = part.states[size_t(scene)];
        if (scene + 1 < kScenes && t > 0.0 && dissolvesUnder(parts, i, scene, scene + 1)) {
            const PartState &shown = here.visible ? here : part.states[size_t(scene + 1)];
            frames.push_back(rounded(shown, scene, ease(t)));
        } else if (scene + 1 < kScenes) {
            const double e = ease(t);
            frames.push_back(rounded(between(here, part.states[size_t(scene + 1)], e), scene, e));
        } else if (t <= 0.5) {
            // Under the veil. The last morph ends on the last scene's shape.
            frames.push_back(rounded(here, kScenes - 2, 1.0));
        } else {
            frames.push_back(rounded(part.states[0], 0, 0.0));
        }
    }
    return frames;
}
