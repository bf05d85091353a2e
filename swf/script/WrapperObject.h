#pragma once

#include "script/Object.h"

namespace swf::script {

// A Boolean, Number or String object: the primitive it wraps, which
// valueOf gives back. A String's `length` is its own.
class WrapperObject : public Object
{
public:
    WrapperObject(Object *prototype, const Value &primitive) : Object(prototype), m_primitive(primitive) {}
    QString className() const override;
    const Value &primitive() const { return m_primitive; }

protected:
    bool getSpecial(Engine &engine, const QString &name, Value &out) override;
    bool hasSpecial(Engine &engine, const QString &name) override;
    void traceMore(Tracer &tracer) const override { tracer.mark(m_primitive); }

private:
    Value m_primitive;
};

} // namespace swf::script
