#pragma once

#include "script/Heap.h"
#include "script/Value.h"

#include <QHash>
#include <QStringList>
#include <vector>

namespace swf::script {

class Engine;
class FunctionObject;
class MovieClipObject;

// The attributes ASSetPropFlags sets: hidden from for..in, kept by delete,
// kept by assignment.
namespace Attribute {
enum : unsigned char { DontEnum = 1, DontDelete = 2, ReadOnly = 4 };
}

// A script object: named properties in the order they were made, and the
// prototype (`__proto__`) that lookups fall back to. Names match ignoring
// letter case in movies before version 7 (Engine::caseSensitive()).
// Subclasses answer names of their own (an array's indices, a clip's
// `_x`) before the table.
class Object : public GcCell
{
public:
    explicit Object(Object *prototype = nullptr) : m_proto(prototype) {}
    void trace(Tracer &tracer) const override;

    Object *prototype() const { return m_proto; }
    void setPrototype(Object *prototype) { m_proto = prototype; }

    // The word in "[object Object]".
    virtual QString className() const { return QStringLiteral("Object"); }
    virtual FunctionObject *asFunction() { return nullptr; }
    virtual MovieClipObject *asMovieClip() { return nullptr; }

    // The property through the prototype chain, getters called;
    // undefined when absent.
    Value get(Engine &engine, const QString &name);
    // Whether the name is found here or in the prototype chain.
    bool has(Engine &engine, const QString &name);
    bool hasOwn(Engine &engine, const QString &name);
    // Assignment: a setter found in the chain runs, a read-only property
    // stays, anything else becomes (or stays) a property of this object.
    void set(Engine &engine, const QString &name, const Value &value);
    // Deletes an own property; false when absent or kept by DontDelete.
    bool remove(Engine &engine, const QString &name);
    // Names for..in visits: own, then inherited, each once, in the order
    // the player gives them (the newest first).
    void enumerate(Engine &engine, QStringList &names);

    // A property of a built-in, made without looking for setters.
    void define(Engine &engine, const QString &name, const Value &value,
                unsigned char attributes = Attribute::DontEnum);
    // Object.addProperty: false when the getter is missing.
    bool addProperty(Engine &engine, const QString &name, FunctionObject *getter,
                     FunctionObject *setter);
    // ASSetPropFlags on one own property (or every one when `name` is empty).
    void changeAttributes(Engine &engine, const QString &name, unsigned char set,
                          unsigned char clear);
    bool isEnumerable(Engine &engine, const QString &name);

protected:
    // Names the subclass answers itself, ahead of the table.
    virtual bool getSpecial(Engine &engine, const QString &name, Value &out);
    virtual bool setSpecial(Engine &engine, const QString &name, const Value &value);
    virtual bool hasSpecial(Engine &engine, const QString &name);
    virtual bool removeSpecial(Engine &engine, const QString &name, bool &removed);
    // Names answered after the table, before the prototype (a clip's children).
    virtual bool getLate(Engine &engine, const QString &name, Value &out);
    // Enumerable special names, appended in the order for..in gives them.
    virtual void specialNames(Engine &engine, QStringList &names);
    virtual void traceMore(Tracer &tracer) const;

    struct Property
    {
        QString name;
        Value value;
        FunctionObject *getter = nullptr; // addProperty; then `value` is unused
        FunctionObject *setter = nullptr;
        unsigned char attributes = 0;
    };
    Property *findOwn(Engine &engine, const QString &name);
    Property &addOwn(Engine &engine, const QString &name);
    // The own property, running its getter for this object.
    Value read(Engine &engine, Property &property);

private:
    int indexOf(bool caseSensitive, const QString &name) const;
    void reindex(bool caseSensitive);

    Object *m_proto;
    std::vector<Property> m_properties;
    QHash<QString, int> m_index;     // built once the table grows: key -> index
    bool m_indexCaseSensitive = true;
};

} // namespace swf::script
