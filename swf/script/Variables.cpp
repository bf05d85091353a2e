#include "script/Variables.h"

#include "script/Context.h"
#include "script/Engine.h"
#include "script/MovieClipObject.h"
#include "script/Scope.h"

namespace swf::script {

namespace {

// The longest name in a path: the players read longer ones as this many
// characters, then a name made of the rest.
constexpr int MaxName = 127;

bool is(const QString &name, const char *literal)
{
    return name.compare(QLatin1String(literal), Qt::CaseInsensitive) == 0;
}

MovieClipObject *rootObject(Engine &engine)
{
    return engine.root() ? engine.clipObject(engine.root()) : nullptr;
}

bool isPath(const QString &name)
{
    for (QChar c : name) {
        if (c == u'/' || c == u':' || c == u'.')
            return true;
    }
    return false;
}

MovieClipObject *targetObject(Engine &engine, Context &context)
{
    return context.target ? context.target->resolve(engine) : nullptr;
}

} // namespace

bool Variables::splitPath(const QString &name, QString *path, QString *variable)
{
    int at = -1;
    for (int i = int(name.size()) - 1; i >= 0; --i) {
        if (name.at(i) == u':' || name.at(i) == u'.') {
            at = i;
            break;
        }
    }
    if (at < 0) {
        *path = name;
        variable->clear();
        return false;
    }
    *path = name.left(at);
    *variable = name.mid(at + 1);
    return true;
}

bool Variables::plainGet(Engine &engine, Context &context, const QString &name, Value &out,
                         Object **holder)
{
    const QChar first = name.isEmpty() ? QChar() : name.at(0);
    if (context.topLevel && (first == u't' || first == u'T') && is(name, "this")) {
        out = context.thisValue;
        return true;
    }
    if (first == u'_' && engine.version() >= 6 && is(name, "_global")) {
        out = engine.global();
        return true;
    }
    for (auto it = context.withs.rbegin(); it != context.withs.rend(); ++it) {
        Object *o = *it;
        if (MovieClipObject *clip = o->asMovieClip()) {
            o = clip->resolve(engine);
            if (!o)
                continue;
        }
        if (o->has(engine, name)) {
            out = o->get(engine, name);
            if (holder)
                *holder = o;
            return true;
        }
    }
    // tellTarget puts the target's variables in place of the timeline's;
    // functions defined meanwhile keep the code's own timeline.
    Object *target = context.target != context.origin ? targetObject(engine, context) : nullptr;
    for (Scope *s = context.scope; s; s = s->parent()) {
        Object *o = s->object();
        if (target && o == context.origin)
            o = target;
        else if (MovieClipObject *clip = o ? o->asMovieClip() : nullptr)
            o = clip->resolve(engine);
        if (o && o->has(engine, name)) {
            out = o->get(engine, name);
            if (holder)
                *holder = o;
            return true;
        }
    }
    // Where no timeline answers (a function whose clip is gone).
    if (first == u'_' && (is(name, "_root") || is(name, "_level0"))) {
        out = rootObject(engine);
        return true;
    }
    return false;
}

Value Variables::get(Engine &engine, Context &context, const QString &name, Object **holder)
{
    if (isPath(name)) {
        QString path, variable;
        if (!splitPath(name, &path, &variable)) {
            // A path alone names a clip, found from the target whatever
            // the `with` objects say, else it is a variable's name.
            Object *at = nullptr;
            {
                struct WithsAside
                {
                    std::vector<Object *> &withs;
                    std::vector<Object *> saved;
                    ~WithsAside() { withs.swap(saved); }
                } aside{context.withs, {}};
                aside.withs.swap(aside.saved);
                at = resolvePath(engine, context, path);
            }
            if (at && at->asMovieClip())
                return Value(at);
            Value out;
            plainGet(engine, context, name, out);
            return out;
        }
        if (path.isEmpty() || variable.isEmpty())
            return {};
        Object *at = resolvePath(engine, context, path);
        if (!at)
            return {};
        if (holder)
            *holder = at;
        return engine.getMember(Value(at), Value(variable));
    }
    Value out;
    plainGet(engine, context, name, out, holder);
    return out;
}

Object *Variables::timelineOf(Engine &engine, Context &context)
{
    // A function's own target is the timeline it was defined on.
    if (Object *o = targetObject(engine, context))
        return o;
    return context.origin ? context.origin->resolve(engine) : nullptr;
}

void Variables::set(Engine &engine, Context &context, const QString &name, const Value &value)
{
    if (isPath(name)) {
        QString path, variable;
        if (splitPath(name, &path, &variable)) {
            if (path.isEmpty() || variable.isEmpty())
                return;
            if (Object *at = resolvePath(engine, context, path))
                engine.setMember(Value(at), Value(variable), value);
            return;
        }
        // Slashes alone make a variable of that name.
    }
    for (auto it = context.withs.rbegin(); it != context.withs.rend(); ++it) {
        Object *o = *it;
        if (MovieClipObject *clip = o->asMovieClip()) {
            o = clip->resolve(engine);
            if (!o)
                continue;
        }
        if (o->has(engine, name)) {
            o->set(engine, name, value);
            return;
        }
    }
    Object *target = context.target != context.origin ? targetObject(engine, context) : nullptr;
    for (Scope *s = context.scope; s; s = s->parent()) {
        Object *o = s->object();
        // Assignments never make or change globals by a plain name.
        if (!o || o == engine.global())
            continue;
        if (target && o == context.origin)
            o = target;
        else if (MovieClipObject *clip = o->asMovieClip())
            o = clip->resolve(engine);
        if (o && o->has(engine, name)) {
            o->set(engine, name, value);
            return;
        }
    }
    if (Object *o = timelineOf(engine, context))
        o->set(engine, name, value);
}

void Variables::defineLocal(Engine &engine, Context &context, const QString &name, const Value &value)
{
    // A `with` object that has the name takes it.
    for (auto it = context.withs.rbegin(); it != context.withs.rend(); ++it) {
        if ((*it)->has(engine, name)) {
            (*it)->set(engine, name, value);
            return;
        }
    }
    if (context.activation) {
        context.activation->set(engine, name, value);
        return;
    }
    if (Object *o = targetObject(engine, context))
        o->set(engine, name, value);
}

void Variables::declareLocal(Engine &engine, Context &context, const QString &name)
{
    Object *o = context.activation ? context.activation : targetObject(engine, context);
    if (o && !o->hasOwn(engine, name))
        o->set(engine, name, Value());
}

bool Variables::remove(Engine &engine, Context &context, const QString &name)
{
    for (auto it = context.withs.rbegin(); it != context.withs.rend(); ++it) {
        if ((*it)->hasOwn(engine, name))
            return (*it)->remove(engine, name);
    }
    for (Scope *s = context.scope; s; s = s->parent()) {
        Object *o = s->object();
        if (MovieClipObject *clip = o ? o->asMovieClip() : nullptr)
            o = clip->resolve(engine);
        if (o && o->hasOwn(engine, name))
            return o->remove(engine, name);
    }
    return false;
}

Object *Variables::fromWiths(Engine &engine, Context &context, const QString &name)
{
    // A relative path starts from the innermost `with` object that has
    // the name, as a child clip or a property.
    for (auto it = context.withs.rbegin(); it != context.withs.rend(); ++it) {
        Object *o = *it;
        if (MovieClipObject *w = o->asMovieClip()) {
            w = w->resolve(engine);
            if (!w)
                continue;
            if (MovieClipObject *child = w->childObject(engine, name))
                return child;
            o = w;
        }
        if (o->has(engine, name))
            return o->get(engine, name).object();
    }
    return nullptr;
}

Object *Variables::step(Engine &engine, Context &context, Object *at, const QString &name, bool first)
{
    MovieClipObject *clip = at && at->asMovieClip() ? at->asMovieClip()->resolve(engine) : nullptr;
    if (name == u"..")
        return clip ? clip->parentObject(engine) : nullptr;
    if (first) {
        if (Object *o = fromWiths(engine, context, name))
            return o;
    }
    if (clip) {
        if (MovieClipObject *child = clip->childObject(engine, name))
            return child;
    }
    if (first) {
        Value v;
        if (is(name, "_parent"))
            return clip ? clip->parentObject(engine) : nullptr;
        return plainGet(engine, context, name, v) ? v.object() : nullptr;
    }
    return at ? engine.getMember(Value(at), Value(name)).object() : nullptr;
}

Object *Variables::chunk(Engine &engine, Context &context, Object *at, const QString &text, bool first,
                         bool last)
{
    if (text == u"..")
        return step(engine, context, at, text, first);
    if (first) {
        if (Object *o = fromWiths(engine, context, text))
            return o;
    }
    if (MovieClipObject *clip = at && at->asMovieClip() ? at->asMovieClip()->resolve(engine) : nullptr) {
        if (MovieClipObject *child = clip->childObject(engine, text))
            return child;
    }
    // Dots part names only before the first slash of a relative path,
    // colons anywhere (two in a row add nothing).
    auto dottedPart = [&](const QString &part, bool opening, bool firstName, bool dotEnds) -> Object * {
        if (!part.contains(u'.') || part == u"..")
            return step(engine, context, at, part, firstName);
        if (MovieClipObject *clip = at && at->asMovieClip() ? at->asMovieClip()->resolve(engine) : nullptr) {
            if (MovieClipObject *child = clip->childObject(engine, part))
                return child;
        }
        if (!opening || part.startsWith(u'.'))
            return nullptr;
        Object *o = at;
        QStringList names = part.split(u'.');
        // One dot may end names that a colon and a name, or the end of
        // the path, follow.
        if (dotEnds && names.last().isEmpty())
            names.removeLast();
        for (const QString &name : std::as_const(names)) {
            if (name.isEmpty())
                return nullptr;
            o = step(engine, context, o, name, firstName);
            firstName = false;
            if (!o)
                return nullptr;
        }
        return o;
    };
    if (!text.contains(u':'))
        return dottedPart(text, first, first, last);
    const QStringList parts = text.split(u':');
    bool named = false;
    bool opening = first;
    for (int i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        if (part.isEmpty()) {
            // Colons may come before the first name and between names;
            // one alone may end the path, not come before a slash.
            bool nameFollows = false;
            for (int j = i + 1; j < parts.size() && !nameFollows; ++j)
                nameFollows = !parts.at(j).isEmpty();
            const bool ending = i == parts.size() - 1 && last && !parts.at(i - 1).isEmpty();
            if (named && !nameFollows && !ending)
                return nullptr;
            continue;
        }
        bool dotEnds = i + 1 == parts.size() && last;
        for (int j = i + 1; j < parts.size() && !dotEnds; ++j)
            dotEnds = !parts.at(j).isEmpty();
        at = dottedPart(part, opening, first && !named, dotEnds);
        named = true;
        // Dots part no names once ".." went up.
        if (part == u"..")
            opening = false;
        if (!at)
            return nullptr;
    }
    return named ? at : nullptr;
}

Object *Variables::resolvePath(Engine &engine, Context &context, const QString &path)
{
    Object *at = targetObject(engine, context);
    QString rest = path;
    bool first = true;
    if (rest.startsWith(u'/')) {
        at = rootObject(engine);
        rest = rest.mid(1);
        first = false;
    }
    if (rest.isEmpty())
        return at;
    QStringList chunks;
    for (const QString &text : rest.split(u'/')) {
        for (int from = 0; from < text.size() || from == 0; from += MaxName)
            chunks.append(text.mid(from, MaxName));
    }
    for (int i = 0; i < chunks.size(); ++i) {
        const QString &text = chunks.at(i);
        if (text.isEmpty()) {
            // A slash may end a path; two in a row lead nowhere.
            if (i == chunks.size() - 1)
                break;
            return nullptr;
        }
        const bool last = i == chunks.size() - 1;
        at = chunk(engine, context, at, text, first, last);
        first = false;
        if (!at)
            return nullptr;
    }
    return at;
}

MovieClipObject *Variables::targetClip(Engine &engine, Context &context, const Value &target)
{
    if (Object *o = target.object()) {
        MovieClipObject *clip = o->asMovieClip();
        return clip ? clip->resolve(engine) : nullptr;
    }
    const QString path = engine.toString(target);
    if (path.isEmpty())
        return targetObject(engine, context);
    Object *o = resolvePath(engine, context, path);
    MovieClipObject *clip = o ? o->asMovieClip() : nullptr;
    return clip ? clip->resolve(engine) : nullptr;
}

} // namespace swf::script
