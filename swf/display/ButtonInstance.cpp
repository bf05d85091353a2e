#include "display/ButtonInstance.h"

#include "display/Clip.h"
#include "display/HitTest.h"
#include "Movie.h"

#include <set>

namespace swf {

ButtonInstance::ButtonInstance(ClipWorld &world, std::shared_ptr<const ButtonCharacter> button, Clip *parent,
                               int nesting)
    : m_button(std::move(button)), m_clip(std::make_shared<Clip>(world, nullptr, parent, nesting))
{
    show(ButtonCharacter::Up);
}

ButtonInstance::~ButtonInstance() = default;

int ButtonInstance::shownState() const { return m_shown; }

void ButtonInstance::setTracking(Tracking tracking)
{
    m_tracking = tracking;
    switch (tracking) {
    case Tracking::Idle: show(ButtonCharacter::Up); break;
    case Tracking::OverUp: show(ButtonCharacter::Over); break;
    case Tracking::OverDown: show(ButtonCharacter::Down); break;
    case Tracking::OutDown: show(ButtonCharacter::Over); break;
    }
}

void ButtonInstance::show(int state)
{
    if (state == m_shown)
        return;
    m_shown = state;
    const std::vector<const ButtonCharacter::Record *> records = m_button->state(state);
    std::set<std::pair<int, int>> wanted;
    for (const ButtonCharacter::Record *r : records)
        wanted.insert({r->depth, r->characterId});
    std::vector<int> leaving;
    for (const auto &[depth, object] : m_clip->objects())
        if (!wanted.count({depth, object.characterId}))
            leaving.push_back(depth);
    for (int depth : leaving)
        m_clip->remove(depth);
    for (const ButtonCharacter::Record *r : records)
        m_clip->place(r->depth, r->characterId, r->matrix, r->cxform, r->blendMode, r->filters);
}

bool ButtonInstance::hit(const Movie &movie, const Matrix &toStage, const QPointF &stagePoint) const
{
    for (const ButtonCharacter::Record *r : m_button->state(ButtonCharacter::HitTest)) {
        const CharacterPtr character = movie.character(r->characterId);
        const Matrix m = r->matrix * toStage;
        if (character && m.isInvertible() && hittest::covers(movie, *character, m.inverted().map(stagePoint)))
            return true;
    }
    return false;
}

} // namespace swf
