#include "Random.h"

#include <chrono>
#include <cmath>
#include <random>

namespace platform {

namespace {
std::mt19937_64 &generator()
{
    static std::mt19937_64 engine(0x5eed);
    return engine;
}
} // namespace

void Random::Randomize()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::random_device device;
    generator().seed(static_cast<std::uint64_t>(now) ^ (std::uint64_t(device()) << 32));
}

void Random::Randomize(std::uint64_t seed)
{
    generator().seed(seed);
}

float Random::Rnd()
{
    // 24 bits fill a float's mantissa exactly, so the largest value is
    // 1 - 2^-24 and the result can never round up to 1.0.
    const std::uint64_t bits = generator()() >> 40;
    return static_cast<float>(bits) * (1.0f / 16777216.0f);
}

double Random::Int(double value)
{
    return std::floor(value);
}

} // namespace platform
