// Math: its functions share one C++ function, told apart by number.
#include "script/Builtins.h"

#include <cmath>
#include <limits>

namespace swf::script::builtins {

namespace {

enum Function { Abs, Acos, Asin, Atan, Atan2, Ceil, Cos, Exp, Floor, Log, Max, Min, Pow, Random,
                Round, Sin, Sqrt, Tan };

Value math(NativeCall &call)
{
    Engine &e = call.engine;
    const double x = call.count() > 0 ? e.toNumber(call.arg(0)) : std::numeric_limits<double>::quiet_NaN();
    const double y = call.count() > 1 ? e.toNumber(call.arg(1)) : std::numeric_limits<double>::quiet_NaN();
    switch (call.data) {
    case Abs: return std::fabs(x);
    case Acos: return std::acos(x);
    case Asin: return std::asin(x);
    case Atan: return std::atan(x);
    case Atan2: return std::atan2(x, y);
    case Ceil: return std::ceil(x);
    case Cos: return std::cos(x);
    case Exp: return std::exp(x);
    case Floor: return std::floor(x);
    case Log: return std::log(x);
    case Max:
    case Min: {
        if (call.count() == 0)
            return call.data == Max ? -std::numeric_limits<double>::infinity()
                                    : std::numeric_limits<double>::infinity();
        double r = x;
        for (std::size_t i = 1; i < call.count(); ++i) {
            const double v = e.toNumber(call.args[i]);
            if (std::isnan(v) || std::isnan(r))
                r = std::numeric_limits<double>::quiet_NaN();
            else
                r = call.data == Max ? std::max(r, v) : std::min(r, v);
        }
        return r;
    }
    case Pow: return std::pow(x, y);
    case Random: return e.random01();
    case Round: return std::floor(x + 0.5);
    case Sin: return std::sin(x);
    case Sqrt: return std::sqrt(x);
    case Tan: return std::tan(x);
    default: return {};
    }
}

} // namespace

void installMath(Engine &engine)
{
    Object *m = engine.newObject();
    const std::pair<const char *, int> functions[] = {
        {"abs", Abs}, {"acos", Acos}, {"asin", Asin}, {"atan", Atan}, {"atan2", Atan2},
        {"ceil", Ceil}, {"cos", Cos}, {"exp", Exp}, {"floor", Floor}, {"log", Log}, {"max", Max},
        {"min", Min}, {"pow", Pow}, {"random", Random}, {"round", Round}, {"sin", Sin},
        {"sqrt", Sqrt}, {"tan", Tan}};
    for (const auto &[name, which] : functions)
        engine.method(m, str(name), math, which);
    const std::pair<const char *, double> constants[] = {
        {"E", M_E}, {"LN10", M_LN10}, {"LN2", M_LN2}, {"LOG10E", M_LOG10E}, {"LOG2E", M_LOG2E},
        {"PI", M_PI}, {"SQRT1_2", M_SQRT1_2}, {"SQRT2", M_SQRT2}};
    for (const auto &[name, value] : constants)
        m->define(engine, str(name), Value(value), Attribute::DontEnum | Attribute::DontDelete | Attribute::ReadOnly);
    engine.global()->define(engine, str("Math"), Value(m));
}

} // namespace swf::script::builtins
