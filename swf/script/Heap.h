#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace swf::script {

class Tracer;
class Value;

// Anything a script can keep a reference to: objects, scopes. Cells are
// owned by their Heap and freed by its collector once no root reaches them,
// which also frees the cycles (a prototype and its constructor) that shared
// ownership would leak.
class GcCell
{
public:
    GcCell() = default;
    virtual ~GcCell() = default;
    GcCell(const GcCell &) = delete;
    GcCell &operator=(const GcCell &) = delete;

    // Marks every cell this one refers to.
    virtual void trace(Tracer &tracer) const = 0;

private:
    friend class Heap;
    friend class Tracer;
    GcCell *m_nextCell = nullptr;
    mutable bool m_marked = false;
};

// The mark phase: cells reached are queued here, then traced in turn, so
// that a long chain of objects does not recurse deeply.
class Tracer
{
public:
    void mark(const GcCell *cell)
    {
        if (cell && !cell->m_marked) {
            cell->m_marked = true;
            m_work.push_back(cell);
        }
    }
    void mark(const Value &value);
    // What the reached cells hold, in units of about one value's memory:
    // the collector's measure of how much a movie keeps.
    void weigh(std::size_t units) { m_weight += units; }

private:
    friend class Heap;
    std::vector<const GcCell *> m_work;
    std::size_t m_weight = 0;
};

// The cells of one player's scripts. Collection runs only between action
// lists, when no script holds a reference on the C++ stack.
class Heap
{
public:
    Heap() = default;
    ~Heap();
    Heap(const Heap &) = delete;
    Heap &operator=(const Heap &) = delete;

    template <class T, class... Args>
    T *make(Args &&...args)
    {
        T *cell = new T(std::forward<Args>(args)...);
        adopt(cell);
        return cell;
    }

    std::size_t cells() const { return m_count; }
    std::size_t madeSinceCollect() const { return m_made; }
    // Frees every cell that `roots` does not reach; returns the weight
    // of the rest (see Tracer::weigh).
    std::size_t collect(const std::function<void(Tracer &)> &roots);

private:
    void adopt(GcCell *cell);
    GcCell *m_first = nullptr;
    std::size_t m_count = 0;
    std::size_t m_made = 0;
};

} // namespace swf::script
