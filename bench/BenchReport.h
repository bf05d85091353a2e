#pragma once

#include <cstdio>

// A benchmark's headline results, one line each, which the benchmark table
// (bench/run_benchmarks.sh) gathers from every benchmark: what was measured
// against what, the ratio, and the goal it is held to ("<= 1.3", ">= 2", or
// empty when there is none). The lines read well on their own too.
inline void reportRatio(const char *what, double ratio, const char *goal = "")
{
    std::printf("ratio\t%s\t%.3f\t%s\n", what, ratio, goal);
    std::fflush(stdout);
}
