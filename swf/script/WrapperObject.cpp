#include "script/WrapperObject.h"

#include "script/Engine.h"

namespace swf::script {

QString WrapperObject::className() const
{
    switch (m_primitive.type()) {
    case Value::Type::Boolean: return QStringLiteral("Boolean");
    case Value::Type::Number: return QStringLiteral("Number");
    default: return QStringLiteral("String");
    }
}

bool WrapperObject::getSpecial(Engine &engine, const QString &name, Value &out)
{
    if (m_primitive.isString() && engine.namesMatch(name, QStringLiteral("length"))) {
        out = double(m_primitive.string().size());
        return true;
    }
    return false;
}

bool WrapperObject::hasSpecial(Engine &engine, const QString &name)
{
    return m_primitive.isString() && engine.namesMatch(name, QStringLiteral("length"));
}

} // namespace swf::script
