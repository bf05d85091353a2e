#include "ErrorSound.h"

#include <algorithm>
#include <cmath>

namespace {

struct Note
{
    double start, length;   // seconds
    double from, to;        // Hz: the second note droops a little
};

double envelope(double t, double length)
{
    const double attack = 0.02, release = 0.06;
    if (t < attack)
        return 0.5 - 0.5 * std::cos(M_PI * t / attack);
    double level = std::exp(-2.5 * (t - attack));
    if (t > length - release)
        level *= 0.5 + 0.5 * std::cos(M_PI * (t - (length - release)) / release);
    return level;
}

} // namespace

std::vector<int16_t> ErrorSound::samples()
{
    const Note notes[] = {{0.0, 0.20, 523.25, 523.25}, {0.22, 0.30, 392.0, 370.0}};
    const double total = 0.52;
    std::vector<double> mix(size_t(total * kSampleRate), 0.0);
    for (const Note &n : notes) {
        double phase = 0.0;
        const size_t first = size_t(n.start * kSampleRate);
        const size_t count = size_t(n.length * kSampleRate);
        for (size_t i = 0; i < count && first + i < mix.size(); ++i) {
            const double t = double(i) / kSampleRate;
            const double f = n.from + (n.to - n.from) * t / n.length;
            phase += 2.0 * M_PI * f / kSampleRate;
            const double tone = std::sin(phase) + 0.2 * std::sin(2 * phase) + 0.05 * std::sin(3 * phase);
            mix[first + i] += 0.32 * envelope(t, n.length) * tone;
        }
    }
    std::vector<int16_t> out;
    out.reserve(mix.size());
    for (double v : mix)
        out.push_back(int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0)));
    return out;
}
