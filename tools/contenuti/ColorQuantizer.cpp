#include "ColorQuantizer.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace {

struct Entry
{
    QRgb rgb;
    int64_t count;
};

// Weights close to the eye's sensitivity to each channel.
constexpr int kWeight[3] = {3, 4, 2};

int channel(QRgb c, int ch)
{
    return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c);
}

struct Box
{
    size_t begin, end;
    int64_t population = 0;
    int widest = 0;     // channel with the widest weighted range
    int range = 0;

    void measure(const std::vector<Entry> &entries)
    {
        population = 0;
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (size_t i = begin; i < end; ++i) {
            population += entries[i].count;
            for (int ch = 0; ch < 3; ++ch) {
                lo[ch] = std::min(lo[ch], channel(entries[i].rgb, ch));
                hi[ch] = std::max(hi[ch], channel(entries[i].rgb, ch));
            }
        }
        range = -1;
        for (int ch = 0; ch < 3; ++ch) {
            const int r = (hi[ch] - lo[ch]) * kWeight[ch];
            if (r > range) {
                range = r;
                widest = ch;
            }
        }
    }
    double score() const { return end - begin < 2 ? -1.0 : double(range) * double(population); }
};

QRgb average(const std::vector<Entry> &entries, const Box &box)
{
    int64_t sum[3] = {0, 0, 0};
    for (size_t i = box.begin; i < box.end; ++i)
        for (int ch = 0; ch < 3; ++ch)
            sum[ch] += channel(entries[i].rgb, ch) * entries[i].count;
    auto mean = [&](int ch) { return int((sum[ch] + box.population / 2) / box.population); };
    return qRgb(mean(0), mean(1), mean(2));
}

int distance(QRgb a, QRgb b)
{
    int d = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const int x = channel(a, ch) - channel(b, ch);
        d += kWeight[ch] * x * x;
    }
    return d;
}

} // namespace

ColorQuantizer::Result ColorQuantizer::quantize(const QImage &source, int maxColors, bool dither)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    Result result;
    result.width = image.width();
    result.height = image.height();

    std::map<QRgb, int64_t> histogram;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            ++histogram[line[x] | 0xff000000u];
    }
    std::vector<Entry> entries;
    entries.reserve(histogram.size());
    for (const auto &[rgb, count] : histogram)
        entries.push_back({rgb, count});

    if (int(entries.size()) <= maxColors) {
        for (const Entry &e : entries)
            result.palette.push_back(e.rgb);
    } else {
        std::vector<Box> boxes{{0, entries.size()}};
        boxes[0].measure(entries);
        while (int(boxes.size()) < maxColors) {
            size_t best = 0;
            for (size_t i = 1; i < boxes.size(); ++i)
                if (boxes[i].score() > boxes[best].score())
                    best = i;
            Box &box = boxes[best];
            if (box.score() < 0)
                break;
            const int ch = box.widest;
            std::stable_sort(entries.begin() + long(box.begin), entries.begin() + long(box.end),
                             [ch](const Entry &a, const Entry &b) { return channel(a.rgb, ch) < channel(b.rgb, ch); });
            int64_t half = 0;
            size_t cut = box.begin + 1;
            for (size_t i = box.begin; i + 1 < box.end; ++i) {
                half += entries[i].count;
                cut = i + 1;
                if (half * 2 >= box.population)
                    break;
            }
            Box upper{cut, box.end};
            box.end = cut;
            box.measure(entries);
            upper.measure(entries);
            boxes.push_back(upper);
        }
        for (const Box &box : boxes)
            result.palette.push_back(average(entries, box));
    }

    std::unordered_map<QRgb, uint8_t> nearest;
    auto nearestIndex = [&](QRgb rgb) {
        const auto known = nearest.find(rgb);
        if (known != nearest.end())
            return known->second;
        int best = 0, bestDistance = distance(rgb, result.palette[0]);
        for (size_t i = 1; i < result.palette.size() && bestDistance > 0; ++i) {
            const int d = distance(rgb, result.palette[i]);
            if (d < bestDistance) {
                bestDistance = d;
                best = int(i);
            }
        }
        nearest.emplace(rgb, uint8_t(best));
        return uint8_t(best);
    };
    result.indices.resize(size_t(image.width()) * size_t(image.height()));
    if (!dither) {
        size_t at = 0;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                result.indices[at++] = nearestIndex(line[x] | 0xff000000u);
        }
        return result;
    }

    // Error diffusion in sixteenths: 7 to the right, 3, 5 and 1 below.
    const int w = image.width();
    std::vector<int> here(size_t(w + 2) * 3, 0), below(size_t(w + 2) * 3, 0);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        std::fill(below.begin(), below.end(), 0);
        for (int x = 0; x < w; ++x) {
            int want[3];
            for (int ch = 0; ch < 3; ++ch)
                want[ch] = std::clamp(channel(line[x], ch) + here[size_t(x + 1) * 3 + size_t(ch)] / 16, 0, 255);
            const uint8_t index = nearestIndex(qRgb(want[0], want[1], want[2]));
            result.indices[size_t(y) * size_t(w) + size_t(x)] = index;
            for (int ch = 0; ch < 3; ++ch) {
                const int error = want[ch] - channel(result.palette[index], ch);
                here[size_t(x + 2) * 3 + size_t(ch)] += error * 7;
                below[size_t(x) * 3 + size_t(ch)] += error * 3;
                below[size_t(x + 1) * 3 + size_t(ch)] += error * 5;
                below[size_t(x + 2) * 3 + size_t(ch)] += error;
            }
        }
        std::swap(here, below);
    }
    return result;
}
