#pragma once

#include "script/Function.h"
#include "script/Object.h"

namespace swf::script {

// `super` in a method: the prototype above the one the method belongs to,
// where super.method() looks, with the constructor super() calls; both
// run with the method's own `this`.
class SuperObject : public Object
{
public:
    SuperObject(Object *home, FunctionObject *constructor, const Value &self)
        : Object(home), m_constructor(constructor), m_self(self)
    {
    }
    QString className() const override { return QStringLiteral("Super"); }

    Object *home() const { return prototype(); }
    FunctionObject *constructor() const { return m_constructor; }
    const Value &self() const { return m_self; }

protected:
    void traceMore(Tracer &tracer) const override
    {
        tracer.mark(m_constructor);
        tracer.mark(m_self);
    }

private:
    FunctionObject *m_constructor;
    Value m_self;
};

} // namespace swf::script
