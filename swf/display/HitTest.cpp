#include "display/HitTest.h"

#include "character/SpriteCharacter.h"
#include "display/Clip.h"
#include "Movie.h"

namespace swf::hittest {

namespace {

// Sprites in hit areas placing sprites: deeper than this counts as nothing.
constexpr int MaxNesting = 16;

bool coversLocally(const Character &character, double ratio, const QPointF &point)
{
    if (!character.bounds(ratio).normalized().contains(point))
        return false;
    switch (character.type()) {
    case Character::Type::Shape:
    case Character::Type::MorphShape:
        return character.clipPath(ratio).contains(point);
    default:
        return true;
    }
}

} // namespace

bool covers(const DisplayObject &object, const Matrix &toStage, const QPointF &stagePoint)
{
    if (object.clip) {
        for (const auto &[depth, child] : object.clip->objects()) {
            for (const DisplayObject &under : child.beneath)
                if (covers(under, under.matrix * toStage, stagePoint))
                    return true;
            if (covers(child, child.matrix * toStage, stagePoint))
                return true;
        }
        return false;
    }
    if (!object.character || !toStage.isInvertible())
        return false;
    return coversLocally(*object.character, object.ratio / 65535.0, toStage.inverted().map(stagePoint));
}

bool covers(const Movie &movie, const Character &character, const QPointF &point, int nesting)
{
    if (character.type() != Character::Type::Sprite)
        return coversLocally(character, 0.0, point);
    if (nesting >= MaxNesting)
        return false;
    // The first frame's display list, as the sprite would start.
    struct Placed
    {
        int characterId = 0;
        Matrix matrix;
    };
    std::map<int, Placed> placed;
    const auto &timeline = static_cast<const SpriteCharacter &>(character).timeline();
    for (const DisplayCommand &c : timeline.frames.front().commands) {
        if (c.kind == DisplayCommand::Kind::Remove) {
            placed.erase(c.depth);
            continue;
        }
        const auto it = placed.find(c.depth);
        if (it == placed.end() && !c.characterId)
            continue;
        Placed &p = placed[c.depth];
        if (c.characterId && (it == placed.end() || !c.move))
            p = Placed{*c.characterId, Matrix()};
        if (c.matrix)
            p.matrix = *c.matrix;
    }
    for (const auto &[depth, p] : placed) {
        const CharacterPtr child = movie.character(p.characterId);
        if (child && p.matrix.isInvertible()
            && covers(movie, *child, p.matrix.inverted().map(point), nesting + 1))
            return true;
    }
    return false;
}

} // namespace swf::hittest
