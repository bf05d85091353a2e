#pragma once

#include "display/ButtonInstance.h"

#include <QPointF>
#include <functional>
#include <memory>

namespace swf {

class Clip;
class Movie;

// The pointer over a movie's buttons, tracked as the original players
// track it. The topmost button whose hit area holds the pointer is the one
// it is over; buttons hidden (or in a hidden clip), outside their masks or
// disabled are passed over, except that a button disabled while the
// pointer is on it keeps it until the pointer leaves. A push button
// pressed holds the pointer until the release (drag out, drag over,
// release or release outside); a menu button does not, and other menu
// buttons take the pointer while the mouse button is down. Every
// transition changes the button's state at once; those of enabled buttons
// are handed to `fire`, which must not change the display list while it
// runs (queue the actions instead).
class ButtonTracker
{
public:
    // `transition` is a ButtonCharacter::Transition, or 0 for a key press
    // with `key` its code.
    using Fire = std::function<void(ButtonInstance &button, Clip &parent, int transition, int key)>;

    ButtonTracker(const Movie &movie, Fire fire) : m_movie(movie), m_fire(std::move(fire)) {}

    // The pointer at `stageTwips`, or off the movie.
    void moveTo(Clip &root, const QPointF &stageTwips);
    void leave(Clip &root);
    void press(Clip &root);
    void release(Clip &root);
    // What lies under a still pointer changed: a frame ran, or actions.
    void update(Clip &root);
    // Every enabled button on show that answers `key` gets it.
    void keyPress(Clip &root, int key);

    // Over an enabled button, or holding one pressed.
    bool overActiveButton() const;
    bool mouseDown() const { return m_down; }

private:
    struct Target
    {
        std::shared_ptr<ButtonInstance> button;
        std::shared_ptr<Clip> parent;
    };
    Target pick(Clip &root) const;
    bool pickIn(Clip &clip, const Matrix &toStage, int nesting, const ButtonInstance *tracked, Target &out) const;
    Target tracked() const;
    void transit(const Target &target, ButtonInstance::Tracking to, int transition);

    const Movie &m_movie;
    Fire m_fire;
    QPointF m_point;                 // stage twips
    bool m_inside = false;           // the pointer is on the stage
    bool m_down = false;
    bool m_captured = false;         // the tracked push button holds the pointer
    std::weak_ptr<ButtonInstance> m_button; // the button the pointer is over or holds
    std::weak_ptr<Clip> m_parent;
};

} // namespace swf
