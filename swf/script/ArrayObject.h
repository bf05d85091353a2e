#pragma once

#include "script/Object.h"

#include <vector>

namespace swf::script {

// An Array: its elements by index, `length` following the highest index
// set, and any other property in the object's table.
class ArrayObject : public Object
{
public:
    explicit ArrayObject(Object *prototype) : Object(prototype) {}
    QString className() const override { return QStringLiteral("Array"); }

    std::vector<Value> &elements() { return m_elements; }
    const std::vector<Value> &elements() const { return m_elements; }
    std::size_t length() const { return m_elements.size(); }
    // Grows or cuts the array; past the cap, stops growing.
    void setLength(Engine &engine, double length);
    // Element access that skips the conversion of a number to a name.
    Value at(std::size_t index) const { return index < m_elements.size() ? m_elements[index] : Value(); }
    void put(Engine &engine, std::size_t index, const Value &value);

    // A name that is an array index ("0", "12"; not "01" or "-1"), or -1.
    static qint64 indexOf(const QString &name);
    // The most elements an array may hold: a script asking for more is
    // cut short rather than allowed to take the machine's memory.
    static constexpr std::size_t MaxLength = 1 << 20;

protected:
    bool getSpecial(Engine &engine, const QString &name, Value &out) override;
    bool setSpecial(Engine &engine, const QString &name, const Value &value) override;
    bool hasSpecial(Engine &engine, const QString &name) override;
    bool removeSpecial(Engine &engine, const QString &name, bool &removed) override;
    void specialNames(Engine &engine, QStringList &names) override;
    void traceMore(Tracer &tracer) const override;

private:
    std::vector<Value> m_elements;
};

} // namespace swf::script
