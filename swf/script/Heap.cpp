#include "script/Heap.h"

#include "script/Object.h"

namespace swf::script {

void Tracer::mark(const Value &value)
{
    if (Object *o = value.object())
        mark(o);
    else if (value.isString())
        m_weight += std::size_t(value.string().size()) / 16;
    ++m_weight;
}

Heap::~Heap()
{
    GcCell *cell = m_first;
    while (cell) {
        GcCell *next = cell->m_nextCell;
        delete cell;
        cell = next;
    }
}

void Heap::adopt(GcCell *cell)
{
    cell->m_nextCell = m_first;
    m_first = cell;
    ++m_count;
    ++m_made;
}

std::size_t Heap::collect(const std::function<void(Tracer &)> &roots)
{
    Tracer tracer;
    roots(tracer);
    while (!tracer.m_work.empty()) {
        const GcCell *cell = tracer.m_work.back();
        tracer.m_work.pop_back();
        // A cell costs about as much as four values.
        tracer.m_weight += 4;
        cell->trace(tracer);
    }
    GcCell **link = &m_first;
    while (GcCell *cell = *link) {
        if (cell->m_marked) {
            cell->m_marked = false;
            link = &cell->m_nextCell;
        } else {
            *link = cell->m_nextCell;
            delete cell;
            --m_count;
        }
    }
    m_made = 0;
    return tracer.m_weight;
}

} // namespace swf::script
