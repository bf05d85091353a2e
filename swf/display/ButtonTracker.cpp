#include "display/ButtonTracker.h"

#include "display/Clip.h"
#include "display/HitTest.h"

namespace swf {

using Tracking = ButtonInstance::Tracking;

void ButtonTracker::moveTo(Clip &root, const QPointF &stageTwips)
{
    m_point = stageTwips;
    m_inside = true;
    update(root);
}

void ButtonTracker::leave(Clip &root)
{
    m_inside = false;
    update(root);
}

ButtonTracker::Target ButtonTracker::tracked() const
{
    Target t{m_button.lock(), m_parent.lock()};
    if (!t.button || !t.parent)
        return {};
    return t;
}

bool ButtonTracker::overActiveButton() const
{
    const Target t = tracked();
    return t.button && t.button->enabled() && t.button->tracking() != Tracking::Idle;
}

void ButtonTracker::transit(const Target &target, Tracking to, int transition)
{
    target.button->setTracking(to);
    if (target.button->enabled())
        m_fire(*target.button, *target.parent, transition, 0);
}

void ButtonTracker::update(Clip &root)
{
    const Target found = m_inside ? pick(root) : Target{};
    const Target over = tracked();
    if (!over.button && m_captured)
        m_captured = false;          // the pressed button went away
    if (m_captured) {
        const bool inside = found.button == over.button;
        if (inside && over.button->tracking() == Tracking::OutDown)
            transit(over, Tracking::OverDown, ButtonCharacter::OutDownToOverDown);
        else if (!inside && over.button->tracking() == Tracking::OverDown)
            transit(over, Tracking::OutDown, ButtonCharacter::OverDownToOutDown);
        return;
    }
    if (found.button == over.button)
        return;
    if (over.button) {
        if (over.button->tracking() == Tracking::OverDown)
            transit(over, Tracking::Idle, ButtonCharacter::OverDownToIdle);
        else if (over.button->tracking() != Tracking::Idle)
            transit(over, Tracking::Idle, ButtonCharacter::OverUpToIdle);
    }
    m_button.reset();
    m_parent.reset();
    if (!found.button)
        return;
    // With the mouse button down (pressed elsewhere), only menu buttons
    // take the pointer.
    if (m_down && !found.button->character().trackAsMenu())
        return;
    m_button = found.button;
    m_parent = found.parent;
    if (m_down)
        transit(found, Tracking::OverDown, ButtonCharacter::IdleToOverDown);
    else
        transit(found, Tracking::OverUp, ButtonCharacter::IdleToOverUp);
}

void ButtonTracker::press(Clip &root)
{
    if (m_down)
        return;
    update(root);
    m_down = true;
    const Target over = tracked();
    if (!over.button || over.button->tracking() != Tracking::OverUp)
        return;
    m_captured = !over.button->character().trackAsMenu();
    transit(over, Tracking::OverDown, ButtonCharacter::OverUpToOverDown);
}

void ButtonTracker::release(Clip &root)
{
    if (!m_down)
        return;
    m_down = false;
    m_captured = false;
    const Target over = tracked();
    if (over.button) {
        if (over.button->tracking() == Tracking::OverDown) {
            transit(over, Tracking::OverUp, ButtonCharacter::OverDownToOverUp);
        } else if (over.button->tracking() == Tracking::OutDown) {
            transit(over, Tracking::Idle, ButtonCharacter::OutDownToIdle);
            m_button.reset();
            m_parent.reset();
        }
    }
    update(root);
}

ButtonTracker::Target ButtonTracker::pick(Clip &root) const
{
    Target out;
    const Target over = tracked();
    pickIn(root, Matrix(), 0, over.button.get(), out);
    return out;
}

bool ButtonTracker::pickIn(Clip &clip, const Matrix &toStage, int nesting, const ButtonInstance *tracked,
                           Target &out) const
{
    if (nesting > ClipWorld::MaxNesting)
        return false;
    // Which objects the masks let the pointer reach, in depth order; the
    // masks form a stack as they do when drawn.
    struct Mask
    {
        int clipDepth;
        bool open;                   // this mask and all outside it hold the pointer
    };
    std::vector<Mask> masks;
    std::vector<const DisplayObject *> reachable;
    for (const auto &[depth, object] : clip.objects()) {
        while (!masks.empty() && depth > masks.back().clipDepth)
            masks.pop_back();
        const bool open = masks.empty() || masks.back().open;
        if (object.clipDepth > 0) {
            masks.push_back({object.clipDepth,
                             open && hittest::covers(object, object.matrix * toStage, m_point)});
            continue;
        }
        if (open)
            reachable.push_back(&object);
    }
    auto tryOne = [&](const DisplayObject &o) {
        if (!o.visible || o.clipDepth > 0)
            return false;
        const Matrix m = o.matrix * toStage;
        if (o.button) {
            if ((o.button->enabled() || o.button.get() == tracked) && o.button->hit(m_movie, m, m_point)) {
                out = {o.button, clip.shared_from_this()};
                return true;
            }
            return false;
        }
        return o.clip && pickIn(*o.clip, m, nesting + 1, tracked, out);
    };
    // From the top: the holder of a depth, then those kept beneath it.
    for (auto it = reachable.rbegin(); it != reachable.rend(); ++it) {
        if (tryOne(**it))
            return true;
        for (const DisplayObject &under : (*it)->beneath)
            if (tryOne(under))
                return true;
    }
    return false;
}

void ButtonTracker::keyPress(Clip &root, int key)
{
    std::vector<Target> buttons;
    std::function<void(Clip &, int)> collect = [&](Clip &clip, int nesting) {
        if (nesting > ClipWorld::MaxNesting)
            return;
        for (const auto &[depth, object] : clip.objects()) {
            auto visit = [&](const DisplayObject &o) {
                if (!o.visible)
                    return;
                if (o.button)
                    buttons.push_back({o.button, clip.shared_from_this()});
                else if (o.clip)
                    collect(*o.clip, nesting + 1);
            };
            for (const DisplayObject &under : object.beneath)
                visit(under);
            visit(object);
        }
    };
    collect(root, 0);
    for (const Target &t : buttons)
        if (t.button->enabled())
            m_fire(*t.button, *t.parent, 0, key);
}

} // namespace swf
