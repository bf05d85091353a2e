#include "script/Object.h"

#include "script/Engine.h"
#include "script/Function.h"

#include <QSet>

namespace swf::script {

namespace {

// Tables this long get a hash index; shorter ones are searched in order.
constexpr int IndexFrom = 12;
// Prototype chains are walked at most this far: a movie may make a loop.
constexpr int MaxChain = 256;

bool isProtoName(bool caseSensitive, const QString &name)
{
    return name.size() == 9
        && name.compare(QLatin1String("__proto__"),
                        caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

QString key(bool caseSensitive, const QString &name)
{
    return caseSensitive ? name : name.toLower();
}

} // namespace

void Object::trace(Tracer &tracer) const
{
    tracer.mark(m_proto);
    for (const Property &p : m_properties) {
        tracer.mark(p.value);
        tracer.mark(p.getter);
        tracer.mark(p.setter);
    }
    traceMore(tracer);
}

void Object::traceMore(Tracer &) const {}

bool Object::getSpecial(Engine &, const QString &, Value &) { return false; }
bool Object::setSpecial(Engine &, const QString &, const Value &) { return false; }
bool Object::hasSpecial(Engine &, const QString &) { return false; }
bool Object::removeSpecial(Engine &, const QString &, bool &) { return false; }
bool Object::getLate(Engine &, const QString &, Value &) { return false; }
void Object::specialNames(Engine &, QStringList &) {}

int Object::indexOf(bool caseSensitive, const QString &name) const
{
    if (!m_index.isEmpty() && m_indexCaseSensitive == caseSensitive)
        return m_index.value(key(caseSensitive, name), -1);
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int i = 0; i < int(m_properties.size()); ++i) {
        const QString &n = m_properties[std::size_t(i)].name;
        if (n.size() == name.size() && n.compare(name, cs) == 0)
            return i;
    }
    return -1;
}

void Object::reindex(bool caseSensitive)
{
    m_index.clear();
    m_indexCaseSensitive = caseSensitive;
    if (int(m_properties.size()) < IndexFrom)
        return;
    for (int i = 0; i < int(m_properties.size()); ++i)
        m_index.insert(key(caseSensitive, m_properties[std::size_t(i)].name), i);
}

Object::Property *Object::findOwn(Engine &engine, const QString &name)
{
    const int i = indexOf(engine.caseSensitive(), name);
    return i < 0 ? nullptr : &m_properties[std::size_t(i)];
}

Object::Property &Object::addOwn(Engine &engine, const QString &name)
{
    // A property costs about two values.
    engine.chargeMemory(2);
    m_properties.push_back(Property{name, {}, nullptr, nullptr, 0});
    const bool cs = engine.caseSensitive();
    if (!m_index.isEmpty() && m_indexCaseSensitive == cs)
        m_index.insert(key(cs, name), int(m_properties.size()) - 1);
    else if (int(m_properties.size()) >= IndexFrom)
        reindex(cs);
    return m_properties.back();
}

Value Object::read(Engine &engine, Property &property)
{
    if (property.getter)
        return engine.call(property.getter, Value(this), {});
    return property.value;
}

Value Object::get(Engine &engine, const QString &name)
{
    if (isProtoName(engine.caseSensitive(), name))
        return m_proto ? Value(m_proto) : Value();
    Object *o = this;
    for (int depth = 0; o && depth < MaxChain; ++depth) {
        Value out;
        if (o->getSpecial(engine, name, out))
            return out;
        if (Property *p = o->findOwn(engine, name)) {
            if (p->getter)
                return engine.call(p->getter, Value(this), {});
            return p->value;
        }
        if (o->getLate(engine, name, out))
            return out;
        o = o->m_proto;
    }
    return {};
}

bool Object::has(Engine &engine, const QString &name)
{
    if (isProtoName(engine.caseSensitive(), name))
        return m_proto != nullptr;
    Object *o = this;
    for (int depth = 0; o && depth < MaxChain; ++depth) {
        Value late;
        if (o->hasSpecial(engine, name) || o->findOwn(engine, name) || o->getLate(engine, name, late))
            return true;
        o = o->m_proto;
    }
    return false;
}

bool Object::hasOwn(Engine &engine, const QString &name)
{
    if (isProtoName(engine.caseSensitive(), name))
        return m_proto != nullptr;
    Value late;
    return hasSpecial(engine, name) || findOwn(engine, name) || getLate(engine, name, late);
}

void Object::set(Engine &engine, const QString &name, const Value &value)
{
    if (isProtoName(engine.caseSensitive(), name)) {
        m_proto = value.object();
        return;
    }
    if (setSpecial(engine, name, value))
        return;
    engine.chargeStored(value);
    if (Property *p = findOwn(engine, name)) {
        if (p->setter)
            engine.call(p->setter, Value(this), {value});
        else if (!p->getter && !(p->attributes & Attribute::ReadOnly))
            p->value = value;
        return;
    }
    if (engine.hasAccessors()) {
        Object *o = m_proto;
        for (int depth = 0; o && depth < MaxChain; ++depth) {
            if (Property *p = o->findOwn(engine, name)) {
                if (p->setter) {
                    engine.call(p->setter, Value(this), {value});
                    return;
                }
                if (p->getter)
                    return;
                break;
            }
            o = o->m_proto;
        }
    }
    addOwn(engine, name).value = value;
}

bool Object::remove(Engine &engine, const QString &name)
{
    bool removed = false;
    if (removeSpecial(engine, name, removed))
        return removed;
    const int i = indexOf(engine.caseSensitive(), name);
    if (i < 0 || (m_properties[std::size_t(i)].attributes & Attribute::DontDelete))
        return false;
    m_properties.erase(m_properties.begin() + i);
    reindex(engine.caseSensitive());
    return true;
}

void Object::enumerate(Engine &engine, QStringList &names)
{
    QSet<QString> seen;
    const bool cs = engine.caseSensitive();
    Object *o = this;
    for (int depth = 0; o && depth < MaxChain; ++depth) {
        QStringList special;
        o->specialNames(engine, special);
        for (const QString &n : std::as_const(special)) {
            if (!seen.contains(key(cs, n))) {
                seen.insert(key(cs, n));
                names.append(n);
            }
        }
        for (auto it = o->m_properties.rbegin(); it != o->m_properties.rend(); ++it) {
            const QString k = key(cs, it->name);
            if (seen.contains(k))
                continue;
            seen.insert(k);
            if (!(it->attributes & Attribute::DontEnum))
                names.append(it->name);
        }
        o = o->m_proto;
    }
}

void Object::define(Engine &engine, const QString &name, const Value &value, unsigned char attributes)
{
    Property *p = findOwn(engine, name);
    if (!p)
        p = &addOwn(engine, name);
    p->value = value;
    p->getter = p->setter = nullptr;
    p->attributes = attributes;
}

bool Object::addProperty(Engine &engine, const QString &name, FunctionObject *getter,
                         FunctionObject *setter)
{
    if (!getter || name.isEmpty())
        return false;
    Property *p = findOwn(engine, name);
    if (!p)
        p = &addOwn(engine, name);
    p->value = Value();
    p->getter = getter;
    p->setter = setter;
    engine.noteAccessor();
    return true;
}

void Object::changeAttributes(Engine &engine, const QString &name, unsigned char set,
                              unsigned char clear)
{
    if (name.isEmpty()) {
        for (Property &p : m_properties)
            p.attributes = (p.attributes & ~clear) | set;
        return;
    }
    if (Property *p = findOwn(engine, name))
        p->attributes = (p->attributes & ~clear) | set;
}

bool Object::isEnumerable(Engine &engine, const QString &name)
{
    if (hasSpecial(engine, name)) {
        QStringList special;
        specialNames(engine, special);
        return special.contains(name, engine.caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive);
    }
    Property *p = findOwn(engine, name);
    return p && !(p->attributes & Attribute::DontEnum);
}

} // namespace swf::script
