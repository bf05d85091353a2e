#pragma once

#include "Records.h"

#include <QRect>
#include <QVector>
#include <cstdint>
#include <vector>

namespace swf {

class Clip;

// What changed on the stage from one drawn frame to the next, so that a
// picture kept from the last frame needs only those parts drawn again.
//
// Every object that draws something is remembered by where it sits in the
// display tree (its depths down from the root), with a fingerprint of how
// it is drawn (character, matrix, colours, ratio, the mask and filters it
// is under) and the device pixels it may touch. An object that appears,
// goes or draws differently damages where it was and where it is now;
// filters widen that by their reach, and a mask that changes damages the
// area it covered and covers.
class FrameDamage
{
public:
    // Compares what `root` shows through `toDevice` with what it showed at
    // the last call, and remembers this frame. The rectangles lie inside
    // `area` and cover every pixel whose colour may differ; they are all
    // of `area` at the first call, after reset(), and when `toDevice` or
    // `area` changed since the last call.
    QVector<QRect> update(const Clip &root, const Matrix &toDevice, const QRect &area);
    void reset();

    struct Item
    {
        std::uint64_t key = 0;       // where it sits
        std::uint64_t look = 0;      // how it is drawn
        QRect bounds;                // device pixels, within the area
    };

private:
    std::vector<Item> m_items;       // of the last frame, by key
    Matrix m_toDevice;
    QRect m_area;
    bool m_known = false;
};

} // namespace swf
