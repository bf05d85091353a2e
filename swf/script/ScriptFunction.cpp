#include "script/ScriptFunction.h"

#include "script/MovieClipObject.h"
#include "script/Scope.h"

namespace swf::script {

void ScriptFunction::traceMore(Tracer &tracer) const
{
    tracer.mark(scope);
    tracer.mark(timeline);
}

} // namespace swf::script
