#include "display/Clip.h"

#include "character/SpriteCharacter.h"
#include "display/ButtonInstance.h"
#include "Movie.h"
#include "sound/SoundMixer.h"

#include <limits>

namespace swf {

namespace {

// createEmptyMovieClip's timeline: one empty frame.
const Timeline &emptyTimeline()
{
    static const Timeline timeline = [] {
        Timeline t;
        t.frames.emplace_back();
        return t;
    }();
    return timeline;
}

// Script depths removeMovieClip and swapDepths accept.
constexpr int MaxScriptDepth = 1048575;

} // namespace

Clip::Clip(ClipWorld &world, const Timeline *timeline, Clip *parent, int nesting)
    : m_world(world), m_timeline(timeline), m_parent(parent), m_nesting(nesting),
      m_bornTick(world.tick)
{
    if (frameCount() <= 1)
        m_playing = false;
}

Clip::~Clip()
{
    if (m_world.sound)
        m_world.sound->stopStream(this);
    m_world.liveObjects -= count(m_objects);
    // A child may outlive this clip while its actions run; it must not
    // reach back to a parent that is gone.
    for (auto &[depth, object] : m_objects) {
        if (object.clip) {
            object.clip->m_parent = nullptr;
            object.clip->markRemoved(true);
        }
        for (DisplayObject &under : object.beneath) {
            if (under.clip) {
                under.clip->m_parent = nullptr;
                under.clip->markRemoved(true);
            }
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

bool Clip::isButton() const
{
    return !m_timeline;
}

void Clip::start()
{
    m_frame = 0;
    if (!m_timeline)
        return;
    runCommands(0);
    enterSounds(0, true);
}

void Clip::advanceTimeline()
{
    if (!m_playing && m_world.sound)
        m_world.sound->stopStream(this);
    if (m_timeline && m_playing && frameCount() > 1)
        gotoFrame(m_frame + 1 >= frameCount() ? 0 : m_frame + 1);
}

void Clip::gotoFrame(int frame, bool withActions)
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
        // What scripts placed above the timeline's depths or below them,
        // and clips waiting for their unload handlers, are no timeline's
        // to rebuild; what they placed among its depths goes.
        for (auto it = previous.begin(); it != previous.end();) {
            if (it->second.placedFrame < 0 && (it->first < 0 || it->first >= DepthOffset)) {
                m_objects.insert(previous.extract(it++));
            } else {
                ++it;
            }
        }
        m_previous = &previous;
        for (int f = 0; f < frame; ++f)
            runCommands(f, false);
        m_frame = frame;
        runCommands(frame, withActions);
        m_previous = nullptr;
        // What was not placed again leaves the stage as a RemoveObject
        // would take it, after the target frame's own tags.
        while (!previous.empty()) {
            const int depth = previous.begin()->first;
            auto node = previous.extract(previous.begin());
            retire(depth, std::move(node.mapped()));
        }
    } else {
        for (int f = m_frame + 1; f < frame; ++f)
            runCommands(f, false);
        const int before = m_frame;
        m_frame = frame;
        // A frame broken off by a placement of nothing leaves the timeline
        // where it was.
        if (!runCommands(frame, withActions))
            m_frame = before;
    }
    enterSounds(frame, jumped);
}

void Clip::enterSounds(int frame, bool jumped)
{
    if (m_world.sound)
        m_world.sound->enterFrame(this, *m_timeline, frame, jumped, m_parent == nullptr && m_nesting == 0);
}

int Clip::labelFrame(const QString &label) const
{
    if (!m_timeline)
        return -1;
    return m_timeline->labels.value(labelKey(label), -1);
}

bool Clip::gotoLabel(const QString &label)
{
    const int frame = labelFrame(label);
    if (frame < 0)
        return false;
    gotoFrame(frame);
    return true;
}

Clip *Clip::child(const QString &name, bool exactCase) const
{
    const Qt::CaseSensitivity cs = exactCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (const auto &[depth, object] : m_objects) {
        if (object.clip && !object.clip->m_awaitingUnload && object.name.compare(name, cs) == 0)
            return object.clip.get();
        for (const DisplayObject &under : object.beneath) {
            if (under.clip && under.name.compare(name, cs) == 0)
                return under.clip.get();
        }
    }
    // A clip waiting for its unload handlers still answers to its name.
    for (const auto &[depth, object] : m_objects) {
        if (object.clip && object.clip->m_awaitingUnload && object.name.compare(name, cs) == 0)
            return object.clip.get();
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
        removeAt(depth);
        object = create(depth, characterId);
    }
    if (object) {
        object->matrix = matrix;
        object->cxform = cxform;
        object->blendMode = blendMode;
        object->filters = filters;
    }
}

bool Clip::runCommands(int frame, bool withActions)
{
    m_running = frame;
    const Frame &f = m_timeline->frames[std::size_t(frame)];
    std::size_t action = 0, init = 0;
    // Actions are queued where their tags stand among the display list
    // tags, so that the events of clips placed before them come first;
    // all of them run after the frame's tags.
    auto queueUpTo = [&](std::size_t command) {
        if (!withActions)
            return;
        for (; init < f.initActions.size() && std::size_t(f.initActions[init].position) <= command; ++init) {
            const InitActionBlock &block = f.initActions[init];
            if (m_world.initDone.contains(block.spriteId))
                continue;
            m_world.initDone.insert(block.spriteId);
            m_world.queue(ClipWorld::Early, {weak_from_this(), ClipWorld::Pending::Kind::Actions,
                                             &block.code, 0});
        }
        for (; action < f.actions.size() && std::size_t(f.actions[action].position) <= command; ++action)
            m_world.queue(ClipWorld::Normal, {weak_from_this(), ClipWorld::Pending::Kind::Actions,
                                              &f.actions[action].code, 0});
    };
    for (std::size_t i = 0; i < f.commands.size(); ++i) {
        queueUpTo(i);
        if (m_world.overBudget())
            break;
        const DisplayCommand &command = f.commands[i];
        // A PlaceObject that neither moves nor names a character ends the
        // players' reading of the frame there.
        if (command.kind == DisplayCommand::Kind::Place && !command.move && !command.characterId)
            return false;
        ++m_world.commandsRun;
        m_runningCommand = i;
        apply(command);
    }
    queueUpTo(f.commands.size() + f.actions.size() + f.initActions.size());
    return true;
}

void Clip::queueEvent(ClipWorld::Priority priority, unsigned event)
{
    m_world.queue(priority, {weak_from_this(), ClipWorld::Pending::Kind::Event, nullptr, event});
}

void Clip::markRemoved(bool gone)
{
    m_removed = true;
    m_gone = m_gone || gone;
    for (auto &[depth, object] : m_objects) {
        if (object.clip)
            object.clip->markRemoved(gone);
        for (DisplayObject &under : object.beneath) {
            if (under.clip)
                under.clip->markRemoved(gone);
        }
    }
}

void Clip::queueUnloads(Clip &clip)
{
    for (auto &[depth, object] : clip.m_objects) {
        if (object.clip && !object.clip->isButton())
            queueUnloads(*object.clip);
    }
    clip.queueEvent(ClipWorld::Normal, ClipEvent::Unload);
}

void Clip::removeAt(int depth)
{
    auto it = m_objects.find(depth);
    if (it != m_objects.end())
        release(it);
}

void Clip::release(std::map<int, DisplayObject>::iterator it)
{
    const int depth = it->first;
    DisplayObject object = std::move(it->second);
    m_objects.erase(it);
    retire(depth, std::move(object));
}

void Clip::retire(int depth, DisplayObject object)
{
    for (DisplayObject &under : object.beneath) {
        if (under.clip)
            under.clip->markRemoved(true);
    }
    m_world.liveObjects -= int(object.beneath.size());
    object.beneath.clear();
    if (object.clip && !object.clip->m_awaitingUnload && !object.clip->isButton()
        && m_world.listener && m_world.listener->keepsForUnload(*object.clip)) {
        object.placedFrame = -1;
        // Another clip removed from the depth may still wait there: this
        // one waits below it.
        int key = -1 - depth;
        while (m_objects.count(key) && key > std::numeric_limits<int>::min())
            --key;
        Clip &clip = *object.clip;
        clip.m_depth = key;
        clip.m_awaitingUnload = true;
        clip.markRemoved(false);
        clip.keepUnloading();
        queueUnloads(clip);
        m_objects.emplace(key, std::move(object));
        return;
    }
    if (object.clip)
        object.clip->markRemoved(true);
    m_world.liveObjects -= 1;
}

void Clip::keepUnloading()
{
    // A clip with an unload handler waits whole; in one without, only the
    // clips with handlers (of their own or below) wait, the others go.
    if (m_world.listener->hasUnloadHandler(*this))
        return;
    for (auto it = m_objects.begin(); it != m_objects.end();) {
        Clip *child = it->second.clip.get();
        if (child && !child->isButton()) {
            if (!m_world.listener->keepsForUnload(*child)) {
                m_world.liveObjects -= 1 + int(it->second.beneath.size());
                child->markRemoved(true);
                it = m_objects.erase(it);
                continue;
            }
            child->keepUnloading();
        }
        ++it;
    }
}

void Clip::finishUnload()
{
    if (!m_awaitingUnload || !m_parent)
        return;
    auto it = m_parent->m_objects.find(m_depth);
    if (it == m_parent->m_objects.end() || it->second.clip.get() != this)
        return;
    m_parent->m_world.liveObjects -= 1;
    markRemoved(true);
    // Erasing drops the parent's reference; the caller holds another.
    m_parent->m_objects.erase(it);
}

QRectF Clip::localBounds() const
{
    QRectF out;
    for (const auto &[depth, object] : m_objects) {
        QRectF inner;
        if (object.clip)
            inner = object.clip->localBounds();
        else if (object.character)
            inner = object.character->bounds(object.ratio / 65535.0);
        if (inner.isNull())
            continue;
        const QRectF mapped = object.matrix.mapRect(inner);
        out = out.isNull() ? mapped : out.united(mapped);
    }
    return out;
}

DisplayObject *Clip::placement()
{
    // The main timeline's own place is for scripts to read and change
    // (its name, _x...); it is drawn where the stage is.
    if (!m_parent)
        return m_nesting == 0 ? &m_own : nullptr;
    auto it = m_parent->m_objects.find(m_depth);
    if (it == m_parent->m_objects.end())
        return nullptr;
    if (it->second.clip.get() == this)
        return &it->second;
    for (DisplayObject &under : it->second.beneath) {
        if (under.clip.get() == this)
            return &under;
    }
    return nullptr;
}

QString Clip::name() const
{
    DisplayObject *p = const_cast<Clip *>(this)->placement();
    return p ? p->name : QString();
}

DisplayObject *Clip::create(int depth, int characterId, bool named)
{
    const ClipEventList *events = nullptr;
    if (m_timeline && m_running >= 0) {
        const Frame &f = m_timeline->frames[std::size_t(m_running)];
        if (m_runningCommand < f.commands.size())
            events = &f.commands[m_runningCommand].clipActions;
    }
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
            object.transform.valid = false;
            object.cxform = ColorTransform();
            object.ratio = 0;
            object.clipDepth = 0;
            object.blendMode = 0;
            object.filters.reset();
            object.cacheAsBitmap = false;
            object.visible = true;
            object.scripted = false;
            // The frames being run place them again.
            m_world.liveObjects -= int(object.beneath.size());
            for (DisplayObject &under : object.beneath) {
                if (under.clip)
                    under.clip->markRemoved(true);
            }
            object.beneath.clear();
            return &object;
        }
    }
    DisplayObject object;
    if (!initialise(object, characterId, depth, events ? *events : ClipEventList(), named))
        return nullptr;
    DisplayObject &placed = m_objects[depth];
    placed = std::move(object);
    return &placed;
}

bool Clip::initialise(DisplayObject &object, int characterId, int depth, const ClipEventList &events,
                      bool named)
{
    if (m_world.liveObjects >= ClipWorld::MaxObjects || m_world.overBudget())
        return false;
    ++m_world.liveObjects;
    ++m_world.objectsCreated;
    object.characterId = characterId;
    object.character = m_world.movie->character(characterId);
    object.bornTick = m_world.tick;
    object.placedFrame = m_timeline ? m_running : -1;
    // Clips the file leaves unnamed are named by the order they came in,
    // a clip before the clips its first frame places.
    if (!named && object.character
        && (object.character->type() == Character::Type::Sprite
            || object.character->type() == Character::Type::Button))
        object.name = QStringLiteral("instance%1").arg(++m_world.instances);
    instantiate(object, depth, events, true);
    return true;
}

std::shared_ptr<Clip> Clip::makeChild(const Timeline *timeline, int characterId, int depth,
                                      const ClipEventList &events, bool notify)
{
    auto clip = std::make_shared<Clip>(m_world, timeline, this, m_nesting + 1);
    clip->m_depth = depth;
    clip->m_characterId = characterId;
    clip->m_events = events;
    if (timeline) {
        m_world.clips.push_back(clip);
        if (notify && m_world.listener)
            m_world.listener->clipCreated(*clip);
    }
    return clip;
}

void Clip::instantiate(DisplayObject &object, int depth, const ClipEventList &events, bool start)
{
    object.clip.reset();
    object.button.reset();
    if (!object.character || m_nesting >= ClipWorld::MaxNesting)
        return;
    if (object.character->type() == Character::Type::Sprite) {
        auto sprite = static_cast<const SpriteCharacter *>(object.character.get());
        object.clip = makeChild(&sprite->timeline(), object.characterId, depth, events, start);
        if (start)
            object.clip->start();
    } else if (object.character->type() == Character::Type::Button) {
        object.button = std::make_shared<ButtonInstance>(
            m_world, std::static_pointer_cast<const ButtonCharacter>(object.character), this, m_nesting + 1);
        object.clip = object.button->stateClip();
        object.clip->m_depth = depth;
        object.clip->m_characterId = object.characterId;
    }
}

Clip *Clip::attach(int depth, int characterId, const QString &name)
{
    const CharacterPtr character = m_world.movie->character(characterId);
    if (!character || character->type() != Character::Type::Sprite)
        return nullptr;
    return placeByScript(depth, characterId, nullptr, name, {});
}

Clip *Clip::createEmpty(int depth, const QString &name)
{
    return placeByScript(depth, 0, &emptyTimeline(), name, {});
}

Clip *Clip::duplicate(const QString &name, int depth)
{
    if (!m_parent || !m_timeline)
        return nullptr;
    DisplayObject *source = placement();
    if (!source)
        return nullptr;
    const DisplayObject copy = *source;
    Clip *clip = m_parent->placeByScript(depth, m_characterId,
                                         m_characterId ? nullptr : m_timeline, name, m_events);
    if (DisplayObject *made = clip ? clip->placement() : nullptr) {
        made->matrix = copy.matrix;
        made->cxform = copy.cxform;
        made->ratio = copy.ratio;
        made->clipDepth = copy.clipDepth;
        made->blendMode = copy.blendMode;
        made->filters = copy.filters;
        made->visible = copy.visible;
        made->scripted = copy.scripted;
    }
    return clip;
}

Clip *Clip::placeByScript(int depth, int characterId, const Timeline *timeline, const QString &name,
                          const ClipEventList &events)
{
    if (!m_timeline || m_nesting >= ClipWorld::MaxNesting
        || m_world.liveObjects >= ClipWorld::MaxObjects)
        return nullptr;
    removeAt(depth);
    DisplayObject object;
    ++m_world.liveObjects;
    ++m_world.objectsCreated;
    object.characterId = characterId;
    object.bornTick = m_world.tick;
    object.placedFrame = -1;
    object.name = name;
    if (characterId) {
        object.character = m_world.movie->character(characterId);
        instantiate(object, depth, events, false);
    } else {
        object.clip = makeChild(timeline, 0, depth, events, false);
    }
    if (!object.clip) {
        --m_world.liveObjects;
        return nullptr;
    }
    Clip *clip = object.clip.get();
    m_objects[depth] = std::move(object);
    return clip;
}

bool Clip::removeByScript()
{
    const int scriptDepth = m_depth - DepthOffset;
    // Clips in one waiting for its unload handlers stay as they are.
    if (!m_parent || m_removed || scriptDepth < 0 || scriptDepth > MaxScriptDepth)
        return false;
    m_parent->removeAt(m_depth);
    return true;
}

bool Clip::swapDepths(int otherDepth)
{
    if (m_awaitingUnload || otherDepth == m_depth)
        return false;
    // The main timeline lies in no list: it only takes the depth.
    if (!m_parent) {
        m_depth = otherDepth;
        return true;
    }
    auto &list = m_parent->m_objects;
    auto mine = list.find(m_depth);
    if (mine == list.end() || mine->second.clip.get() != this)
        return false;
    auto other = list.find(otherDepth);
    if (other == list.end()) {
        auto node = list.extract(mine);
        node.key() = otherDepth;
        node.mapped().placedFrame = -1;
        list.insert(std::move(node));
    } else {
        std::swap(mine->second, other->second);
        mine->second.placedFrame = -1;
        other->second.placedFrame = -1;
        if (mine->second.clip)
            mine->second.clip->m_depth = m_depth;
    }
    m_depth = otherDepth;
    return true;
}

void Clip::apply(const DisplayCommand &command)
{
    if (command.kind == DisplayCommand::Kind::Remove) {
        auto it = m_objects.find(command.depth);
        // Only what the timeline placed is the timeline's to remove.
        if (it != m_objects.end() && it->second.placedFrame >= 0)
            release(it);
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
            if (!initialise(extra, *command.characterId, command.depth, command.clipActions,
                            command.name.has_value()))
                return;
            it->second.beneath.push_back(std::move(extra));
            object = &it->second.beneath.back();
        } else {
            object = create(command.depth, *command.characterId, command.name.has_value());
        }
    } else if (it == m_objects.end()) {
        // A move finds nothing to move at an empty depth, character or not.
        return;
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
    if (!object->scripted) {
        if (command.matrix) {
            object->matrix = *command.matrix;
            object->transform.valid = false;
        }
        if (command.cxform)
            object->cxform = *command.cxform;
    }
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
