#include "script/Variables.h"

#include "script/Context.h"
#include "script/Engine.h"
#include "script/MovieClipObject.h"
#include "script/Scope.h"

namespace swf::script {

namespace {

bool is(const QString &name, const char *literal)
{
    return name.compare(QLatin1String(literal), Qt::CaseInsensitive) == 0;
}

MovieClipObject *rootObject(Engine &engine)
{
    return engine.root() ? engine.clipObject(engine.root()) : nullptr;
}

MovieClipObject *targetObject(Engine &engine, Context &context)
{
    return context.target ? context.target->resolve(engine) : nullptr;
}

} // namespace

bool Variables::splitPath(const QString &name, QString *path, QString *variable)
{
    const int colon = name.lastIndexOf(u':');
    if (colon >= 0) {
        *path = name.left(colon);
        *variable = name.mid(colon + 1);
        return true;
    }
    const int dot = name.lastIndexOf(u'.');
    if (dot >= 0 && dot + 1 < name.size() && (dot == 0 || name.at(dot - 1) != u'.')
        && name.indexOf(u'/', dot) < 0) {
        *path = name.left(dot);
        *variable = name.mid(dot + 1);
        return true;
    }
    *path = name;
    variable->clear();
    return false;
}

bool Variables::plainGet(Engine &engine, Context &context, const QString &name, Value &out)
{
    if (is(name, "this")) {
        out = context.thisValue;
        return true;
    }
    if (is(name, "_root") || is(name, "_level0")) {
        out = rootObject(engine);
        return true;
    }
    if (engine.version() >= 6 && is(name, "_global")) {
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
            return true;
        }
    }
    // tellTarget makes the target's variables the first a name finds;
    // functions defined meanwhile keep the code's own timeline.
    if (context.topLevel && context.target != context.origin) {
        if (Object *o = targetObject(engine, context); o && o->has(engine, name)) {
            out = o->get(engine, name);
            return true;
        }
    }
    for (Scope *s = context.scope; s; s = s->parent()) {
        Object *o = s->object();
        if (MovieClipObject *clip = o ? o->asMovieClip() : nullptr)
            o = clip->resolve(engine);
        if (o && o->has(engine, name)) {
            out = o->get(engine, name);
            return true;
        }
    }
    return false;
}

Value Variables::get(Engine &engine, Context &context, const QString &name)
{
    if (name.contains(u'/') || name.contains(u':') || name.contains(u'.')) {
        QString path, variable;
        const bool hasVariable = splitPath(name, &path, &variable);
        Object *at = resolvePath(engine, context, path);
        if (!hasVariable)
            return at && at->asMovieClip() ? Value(at) : Value();
        if (!at)
            return {};
        return engine.getMember(Value(at), Value(variable));
    }
    Value out;
    plainGet(engine, context, name, out);
    return out;
}

Object *Variables::timelineOf(Engine &engine, Context &context)
{
    if (!context.topLevel && context.callee && context.callee->timeline) {
        if (MovieClipObject *o = context.callee->timeline->resolve(engine))
            return o;
    }
    return targetObject(engine, context);
}

void Variables::set(Engine &engine, Context &context, const QString &name, const Value &value)
{
    if (name.contains(u'/') || name.contains(u':') || name.contains(u'.')) {
        QString path, variable;
        if (!splitPath(name, &path, &variable))
            return;
        if (Object *at = resolvePath(engine, context, path))
            engine.setMember(Value(at), Value(variable), value);
        return;
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
    if (context.topLevel && context.target != context.origin) {
        if (Object *o = targetObject(engine, context)) {
            o->set(engine, name, value);
            return;
        }
    }
    for (Scope *s = context.scope; s; s = s->parent()) {
        Object *o = s->object();
        // Assignments never make or change globals by a plain name.
        if (!o || o == engine.global())
            continue;
        if (MovieClipObject *clip = o->asMovieClip())
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

Object *Variables::resolvePath(Engine &engine, Context &context, const QString &path)
{
    Object *at = nullptr;
    int i = 0;
    const int n = int(path.size());
    if (n == 0)
        return targetObject(engine, context);
    if (path.at(0) == u'/') {
        at = rootObject(engine);
        i = 1;
    }
    bool first = at == nullptr;
    while (i < n) {
        // The next name: up to a slash, a colon or a dot; ".." is a name.
        QString token;
        if (path.mid(i, 2) == u"..") {
            token = QStringLiteral("..");
            i += 2;
        } else {
            const int start = i;
            while (i < n && path.at(i) != u'/' && path.at(i) != u':' && path.at(i) != u'.')
                ++i;
            token = path.mid(start, i - start);
        }
        if (i < n && token != u".." && (path.at(i) == u'/' || path.at(i) == u':' || path.at(i) == u'.'))
            ++i;
        else if (i < n && token == u".." && (path.at(i) == u'/' || path.at(i) == u':'))
            ++i;
        if (token.isEmpty())
            continue;
        Object *next = nullptr;
        if (token == u"..") {
            MovieClipObject *clip = first ? targetObject(engine, context)
                                          : (at && at->asMovieClip() ? at->asMovieClip()->resolve(engine) : nullptr);
            next = clip ? clip->parentObject(engine) : nullptr;
        } else if (first) {
            Value v;
            if (is(token, "_parent")) {
                MovieClipObject *t = targetObject(engine, context);
                next = t ? t->parentObject(engine) : nullptr;
            } else if (plainGet(engine, context, token, v)) {
                next = v.object();
            }
        } else if (at) {
            next = engine.getMember(Value(at), Value(token)).object();
        }
        first = false;
        at = next;
        if (!at)
            return nullptr;
    }
    if (first)
        return targetObject(engine, context);
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
