#include "FrameSignature.h"

#include "Clip.h"

#include <atomic>
#include <cstring>

namespace swf {

namespace {

struct Hasher
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    bool unique = false;

    void mix(std::uint64_t v)
    {
        h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    }
    void mix(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        mix(bits);
    }
    void mix(const void *p) { mix(std::uint64_t(reinterpret_cast<std::uintptr_t>(p))); }

    void list(const Clip &clip)
    {
        mix(std::uint64_t(clip.objects().size()));
        for (const auto &[depth, object] : clip.objects()) {
            mix(std::uint64_t(std::uint32_t(depth)));
            placed(object);
        }
    }

    void placed(const DisplayObject &object)
    {
        mix(object.character.get());
        const Matrix &m = object.matrix;
        for (double v : {m.m11(), m.m12(), m.m13(), m.m21(), m.m22(), m.m23(), m.dx(), m.dy(), m.m33()})
            mix(v);
        const ColorTransform &c = object.cxform;
        for (int v : {c.rMult, c.gMult, c.bMult, c.aMult, c.rAdd, c.gAdd, c.bAdd, c.aAdd})
            mix(std::uint64_t(std::uint32_t(v)));
        mix(std::uint64_t(std::uint32_t(object.ratio)) << 32 | std::uint32_t(object.clipDepth));
        mix(std::uint64_t(std::uint32_t(object.blendMode)) << 2 | (object.cacheAsBitmap ? 2 : 0)
            | (object.visible ? 1 : 0));
        mix(object.filters.get());
        if (object.character && object.character->type() == Character::Type::EditText)
            unique = true;
        if (object.clip) {
            mix(object.clip.get());
            list(*object.clip);
        }
        mix(std::uint64_t(object.beneath.size()));
        for (const DisplayObject &under : object.beneath)
            placed(under);
    }
};

} // namespace

std::uint64_t frameSignature(const Clip &root)
{
    Hasher hasher;
    hasher.list(root);
    if (hasher.unique) {
        // Counted down from the top, far from where hashes fall by chance.
        static std::atomic<std::uint64_t> next{~std::uint64_t(0)};
        return next--;
    }
    return hasher.h;
}

} // namespace swf
