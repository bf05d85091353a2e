#pragma once

#include "script/Value.h"

namespace swf::script {

class Engine;

// The operators of version 5 and later with their conversions.
class Operators
{
public:
    // `a + b`: strings join, anything else adds as numbers.
    static Value add(Engine &engine, const Value &a, const Value &b);
    // `a < b`: true, false, or undefined when a side is NaN.
    static Value less(Engine &engine, const Value &a, const Value &b);
    // `a == b`.
    static bool equals(Engine &engine, const Value &a, const Value &b);
    // `a === b`: no conversions.
    static bool strictEquals(const Value &a, const Value &b);
    // `object instanceof constructor`: the constructor's prototype is on
    // the object's chain.
    static bool instanceOf(Engine &engine, const Value &object, const Value &constructor);
};

} // namespace swf::script
