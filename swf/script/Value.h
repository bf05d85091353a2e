#pragma once

#include <QString>

namespace swf::script {

class Object;

// One value of the movie's scripts: undefined, null, a boolean, a number
// (always a double), a string or an object. Objects live on the Heap; a
// value only points at one.
class Value
{
public:
    enum class Type : unsigned char { Undefined, Null, Boolean, Number, String, Object };

    Value() : m_type(Type::Undefined), m_number(0) {}
    Value(bool b) : m_type(Type::Boolean), m_bool(b) {}
    Value(double n) : m_type(Type::Number), m_number(n) {}
    Value(int n) : m_type(Type::Number), m_number(n) {}
    Value(const QString &s) : m_type(Type::String), m_number(0), m_string(s) {}
    Value(QString &&s) : m_type(Type::String), m_number(0), m_string(std::move(s)) {}
    // Null when `o` is null.
    Value(Object *o) : m_type(o ? Type::Object : Type::Null), m_object(o) {}
    // A C string would silently become a boolean.
    Value(const char *) = delete;

    static Value null() { Value v; v.m_type = Type::Null; return v; }

    Type type() const { return m_type; }
    bool isUndefined() const { return m_type == Type::Undefined; }
    bool isNull() const { return m_type == Type::Null; }
    bool isNullish() const { return m_type == Type::Undefined || m_type == Type::Null; }
    bool isBoolean() const { return m_type == Type::Boolean; }
    bool isNumber() const { return m_type == Type::Number; }
    bool isString() const { return m_type == Type::String; }
    bool isObject() const { return m_type == Type::Object; }

    // The payload; only meaningful for the matching type.
    bool boolean() const { return m_bool; }
    double number() const { return m_number; }
    const QString &string() const { return m_string; }
    Object *object() const { return m_type == Type::Object ? m_object : nullptr; }

private:
    Type m_type;
    union {
        bool m_bool;
        double m_number;
        Object *m_object;
    };
    QString m_string;
};

} // namespace swf::script
