#pragma once

#include "character/ButtonCharacter.h"

#include <QPointF>
#include <memory>

namespace swf {

class Clip;
class Movie;
struct ClipWorld;

// One placement of a button: where the pointer has taken it, the
// characters of the state that shows (a display list of their own, drawn
// and played like a sprite's), and whether it answers the pointer.
class ButtonInstance : public std::enable_shared_from_this<ButtonInstance>
{
public:
    // Where the pointer is for this button, as the file names the
    // transitions: OutDown is a push button pressed and dragged off it,
    // which still holds the pointer and shows its over state.
    enum class Tracking { Idle, OverUp, OverDown, OutDown };

    // Shows the up state. `parent` is the clip the button is placed in.
    ButtonInstance(ClipWorld &world, std::shared_ptr<const ButtonCharacter> button, Clip *parent,
                   int nesting);
    ~ButtonInstance();
    ButtonInstance(const ButtonInstance &) = delete;
    ButtonInstance &operator=(const ButtonInstance &) = delete;

    const ButtonCharacter &character() const { return *m_button; }
    const std::shared_ptr<Clip> &stateClip() const { return m_clip; }

    Tracking tracking() const { return m_tracking; }
    // Shows the state `tracking` draws. Characters that the new state has
    // at the same depth stay as they are (a sprite goes on playing) and
    // take the new record's matrix and colours; the others go or come.
    void setTracking(Tracking tracking);
    // ButtonCharacter::Up, Over or Down.
    int shownState() const;

    // A disabled button takes no new pointer and runs no actions.
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // Whether the hit area, placed by `toStage` (the button's twips to the
    // stage's), covers `stagePoint`.
    bool hit(const Movie &movie, const Matrix &toStage, const QPointF &stagePoint) const;

private:
    void show(int state);

    std::shared_ptr<const ButtonCharacter> m_button;
    std::shared_ptr<Clip> m_clip;
    Tracking m_tracking = Tracking::Idle;
    int m_shown = 0;
    bool m_enabled = true;
};

} // namespace swf
