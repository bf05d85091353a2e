#pragma once

#include <cstdint>

namespace platform {

// The program's one random sequence: Randomize seeds it, Rnd draws a
// single-precision value in [0, 1), Int takes the floor.
class Random
{
public:
    static void Randomize();                 // from the clock
    static void Randomize(std::uint64_t seed); // fixed seed, for tests and benchmarks
    static float Rnd();
    static double Int(double value);
};

} // namespace platform
