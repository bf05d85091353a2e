#include "script/ArrayObject.h"

#include "script/Engine.h"

#include <cmath>

namespace swf::script {

qint64 ArrayObject::indexOf(const QString &name)
{
    if (name.isEmpty() || name.size() > 10 || (name.size() > 1 && name.at(0) == u'0'))
        return -1;
    qint64 v = 0;
    for (QChar c : name) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

void ArrayObject::setLength(Engine &engine, double length)
{
    if (!(length >= 0))
        length = 0;
    std::size_t n = length >= double(MaxLength) ? MaxLength : std::size_t(length);
    if (n > m_elements.size())
        engine.chargeMemory(n - m_elements.size());
    m_elements.resize(n);
}

void ArrayObject::put(Engine &engine, std::size_t index, const Value &value)
{
    if (index >= MaxLength)
        return;
    if (index >= m_elements.size()) {
        engine.chargeMemory(index + 1 - m_elements.size());
        m_elements.resize(index + 1);
    }
    engine.chargeStored(value);
    m_elements[index] = value;
}

bool ArrayObject::getSpecial(Engine &engine, const QString &name, Value &out)
{
    if (engine.namesMatch(name, QStringLiteral("length"))) {
        out = Value(double(m_elements.size()));
        return true;
    }
    const qint64 i = indexOf(name);
    if (i < 0 || std::size_t(i) >= m_elements.size())
        return false;
    out = m_elements[std::size_t(i)];
    return true;
}

bool ArrayObject::setSpecial(Engine &engine, const QString &name, const Value &value)
{
    if (engine.namesMatch(name, QStringLiteral("length"))) {
        setLength(engine, engine.toNumber(value));
        return true;
    }
    const qint64 i = indexOf(name);
    if (i < 0)
        return false;
    put(engine, std::size_t(i), value);
    return true;
}

bool ArrayObject::hasSpecial(Engine &engine, const QString &name)
{
    if (engine.namesMatch(name, QStringLiteral("length")))
        return true;
    const qint64 i = indexOf(name);
    return i >= 0 && std::size_t(i) < m_elements.size();
}

bool ArrayObject::removeSpecial(Engine &engine, const QString &name, bool &removed)
{
    if (engine.namesMatch(name, QStringLiteral("length"))) {
        removed = false;
        return true;
    }
    const qint64 i = indexOf(name);
    if (i < 0 || std::size_t(i) >= m_elements.size())
        return false;
    // A deleted element leaves a hole; the length stays.
    m_elements[std::size_t(i)] = Value();
    removed = true;
    return true;
}

void ArrayObject::specialNames(Engine &, QStringList &names)
{
    for (std::size_t i = m_elements.size(); i-- > 0;)
        names.append(QString::number(i));
}

void ArrayObject::traceMore(Tracer &tracer) const
{
    for (const Value &v : m_elements)
        tracer.mark(v);
}

} // namespace swf::script
