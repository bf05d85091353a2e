#include "display/Clip.h"

#include "display/ButtonInstance.h"
#include "Movie.h"
#include "character/SpriteCharacter.h"
#include "sound/SoundMixer.h"

namespace swf {

Clip::Clip(ClipWorld &world, const Timeline *timeline, Clip *parent, int nesting)
    : m_world(world), m_timeline(timeline), m_parent(parent), m_nesting(nesting)
{
}

Clip::~Clip()
{
    if (m_world.sound)
        m_world.sound->stopStream(this);
    m_world.liveObjects -= count(m_objects);
    // A child may outlive this clip while its actions run; it must not
    // reach back to a parent that is gone.
    for (auto &[depth, object] : m_objects) {
        if (object.clip)
            object.clip->m_parent = nullptr;
        for (DisplayObject &under : object.beneath) {
            if (under.clip)
                under.clip->m_parent = nullptr;
        }
    }
}

int Clip::count(const std::map<int, DisplayObject> &objects)
{
    int n = 0;
    for (const auto &[depth, object] : objects)
        n += 1 + int(object.beneath.size());
    return n;
}

int Clip::frameCount() const
{
    return m_timeline ? int(m_timeline->frames.size()) : 1;
}

void Clip::start()
{
    m_frame = 0;
    if (!m_timeline)
        return;
    runCommands(0);
    queueActions(0);
    enterSounds(0, true);
}

void Clip::advance()
{
    if (!m_playing && m_world.sound)
        m_world.sound->stopStream(this);
    if (m_timeline && m_playing && frameCount() > 1)
        gotoFrame(m_frame + 1 >= frameCount() ? 0 : m_frame + 1);
    std::vector<std::shared_ptr<Clip>> children;
    for (auto &[depth, object] : m_objects) {
        for (const DisplayObject &under : object.beneath) {
            if (under.clip && under.bornTick < m_world.tick)
                children.push_back(under.clip);
        }
        if (object.clip && object.bornTick < m_world.tick)
            children.push_back(object.clip);
    }
    for (auto &child : children)
        child->advance();
}

void Clip::gotoFrame(int frame)
{
    if (!m_timeline)
        return;
    frame = std::clamp(frame, 0, frameCount() - 1);
    if (frame == m_frame)
        return;
    const bool jumped = frame != m_frame + 1;
    if (frame < m_frame) {
        std::map<int, DisplayObject> previous;
        previous.swap(m_objects);
        m_previous = &previous;
        for (int f = 0; f <= frame; ++f)
            runCommands(f);
        m_previous = nullptr;
        m_world.liveObjects -= count(previous);
    } else {
        for (int f = m_frame + 1; f <= frame; ++f)
            runCommands(f);
    }
    m_frame = frame;
    queueActions(frame);
    enterSounds(frame, jumped);
}

bool Clip::gotoLabel(const QString &label)
{
    if (!m_timeline)
        return false;
    const auto it = m_timeline->labels.constFind(label.toLower());
    if (it == m_timeline->labels.constEnd())
        return false;
    gotoFrame(it.value());
    return true;
}

Clip *Clip::child(const QString &name) const
{
    for (const auto &[depth, object] : m_objects) {
        if (object.clip && object.name.compare(name, Qt::CaseInsensitive) == 0)
            return object.clip.get();
        for (const DisplayObject &under : object.beneath) {
            if (under.clip && under.name.compare(name, Qt::CaseInsensitive) == 0)
                return under.clip.get();
        }
    }
    return nullptr;
}

void Clip::place(int depth, int characterId, const Matrix &matrix, const ColorTransform &cxform,
                 int blendMode, const FilterList &filters)
{
    DisplayObject *object = nullptr;
    if (auto it = m_objects.find(depth); it != m_objects.end() && it->second.characterId == characterId) {
        object = &it->second;
    } else {
        erase(depth);
        object = create(depth, characterId);
    }
    if (object) {
        object->matrix = matrix;
        object->cxform = cxform;
        object->blendMode = blendMode;
        object->filters = filters;
    }
}

void Clip::runCommands(int frame)
{
    m_running = frame;
    for (const DisplayCommand &command : m_timeline->frames[std::size_t(frame)].commands) {
        if (m_world.overBudget())
            return;
        ++m_world.commandsRun;
        apply(command);
    }
}

void Clip::queueActions(int frame)
{
    for (const auto &block : m_timeline->frames[std::size_t(frame)].actionBlocks) {
        if (!block.empty())
            m_world.pending.push_back({weak_from_this(), &block});
    }
}

void Clip::enterSounds(int frame, bool jumped)
{
    if (m_world.sound)
        m_world.sound->enterFrame(this, *m_timeline, frame, jumped, m_parent == nullptr && m_nesting == 0);
}

void Clip::erase(int depth)
{
    auto it = m_objects.find(depth);
    if (it == m_objects.end())
        return;
    m_world.liveObjects -= 1 + int(it->second.beneath.size());
    m_objects.erase(it);
}

DisplayObject *Clip::create(int depth, int characterId)
{
    if (m_previous) {
        auto old = m_previous->find(depth);
        // Only the object that this very tag placed before comes back
        // as it was; one placed later at the depth starts afresh.
        if (old != m_previous->end() && old->second.characterId == characterId
            && old->second.placedFrame == m_running) {
            DisplayObject &object = m_objects[depth];
            object = std::move(old->second);
            m_previous->erase(old);
            // The rebuilt frames set these again; only the clip's own
            // timeline state survives.
            object.matrix = Matrix();
            object.cxform = ColorTransform();
            object.ratio = 0;
            object.clipDepth = 0;
            object.blendMode = 0;
            object.filters.reset();
            object.cacheAsBitmap = false;
            object.visible = true;
            object.name.clear();
            // The frames being run place them again.
            m_world.liveObjects -= int(object.beneath.size());
            object.beneath.clear();
            return &object;
        }
    }
    DisplayObject object;
    if (!initialise(object, characterId))
        return nullptr;
    DisplayObject &placed = m_objects[depth];
    placed = std::move(object);
    return &placed;
}

bool Clip::initialise(DisplayObject &object, int characterId)
{
    if (m_world.liveObjects >= ClipWorld::MaxObjects || m_world.overBudget())
        return false;
    ++m_world.liveObjects;
    ++m_world.objectsCreated;
    object.characterId = characterId;
    object.character = m_world.movie->character(characterId);
    object.bornTick = m_world.tick;
    object.placedFrame = m_timeline ? m_running : -1;
    instantiate(object);
    return true;
}

void Clip::instantiate(DisplayObject &object)
{
    object.clip.reset();
    object.button.reset();
    if (!object.character || m_nesting >= ClipWorld::MaxNesting)
        return;
    if (object.character->type() == Character::Type::Sprite) {
        auto sprite = static_cast<const SpriteCharacter *>(object.character.get());
        object.clip = std::make_shared<Clip>(m_world, &sprite->timeline(), this, m_nesting + 1);
        object.clip->start();
    } else if (object.character->type() == Character::Type::Button) {
        object.button = std::make_shared<ButtonInstance>(
            m_world, std::static_pointer_cast<const ButtonCharacter>(object.character), this, m_nesting + 1);
        object.clip = object.button->stateClip();
    }
}

void Clip::apply(const DisplayCommand &command)
{
    if (command.kind == DisplayCommand::Kind::Remove) {
        erase(command.depth);
        return;
    }
    DisplayObject *object = nullptr;
    auto it = m_objects.find(command.depth);
    if (!command.move) {
        if (!command.characterId)
            return;
        if (it != m_objects.end()) {
            // Players from version 6 on ignore a placement at a depth
            // already taken; older movies keep it, beneath.
            if (!m_timeline || m_world.movie->info().version > 5)
                return;
            DisplayObject extra;
            if (!initialise(extra, *command.characterId))
                return;
            it->second.beneath.push_back(std::move(extra));
            object = &it->second.beneath.back();
        } else {
            object = create(command.depth, *command.characterId);
        }
    } else if (it == m_objects.end()) {
        if (!command.characterId)
            return;
        object = create(command.depth, *command.characterId);
    } else {
        object = &it->second;
        if (command.characterId && *command.characterId != object->characterId) {
            // Players swap the character only between two shapes (or two
            // morphs), keeping the placement; a clip, a button or text keeps
            // its character and takes the rest of the tag.
            CharacterPtr next = m_world.movie->character(*command.characterId);
            if (next && object->character && next->type() == object->character->type()
                && (next->type() == Character::Type::Shape
                    || next->type() == Character::Type::MorphShape)) {
                object->characterId = *command.characterId;
                object->character = std::move(next);
            }
        }
    }
    if (!object)
        return;
    if (command.matrix)
        object->matrix = *command.matrix;
    if (command.cxform)
        object->cxform = *command.cxform;
    if (command.ratio)
        object->ratio = *command.ratio;
    if (command.clipDepth)
        object->clipDepth = *command.clipDepth;
    if (command.name)
        object->name = *command.name;
    if (command.blendMode)
        object->blendMode = *command.blendMode;
    if (command.filters)
        object->filters = *command.filters;
    if (command.cacheAsBitmap)
        object->cacheAsBitmap = *command.cacheAsBitmap;
    if (command.visible)
        object->visible = *command.visible;
}

} // namespace swf
