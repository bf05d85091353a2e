#pragma once

#include "script/Object.h"

namespace swf::script {

// One link of a scope chain: an object whose properties are variables
// (a `with` object, a function's activation, a timeline, the globals),
// then the chain it was put in front of.
class Scope : public GcCell
{
public:
    Scope(Object *object, Scope *parent) : m_object(object), m_parent(parent) {}
    void trace(Tracer &tracer) const override
    {
        tracer.mark(m_object);
        tracer.mark(m_parent);
    }

    Object *object() const { return m_object; }
    Scope *parent() const { return m_parent; }

private:
    Object *m_object;
    Scope *m_parent;
};

} // namespace swf::script
