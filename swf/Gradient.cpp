#include "Gradient.h"

#include "Interpolation.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace swf {

namespace {

constexpr double kHalfSquare = 16384.0;

double toLinear(double c)
{
    c /= 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int fromLinear(double c)
{
    c = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
    return std::clamp(int(std::lround(c * 255.0)), 0, 255);
}

QColor mixLinearLight(const QColor &a, const QColor &b, double t)
{
    auto lerp = [t](int x, int y) { return fromLinear(toLinear(x) + (toLinear(y) - toLinear(x)) * t); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  int(std::lround(a.alpha() + (b.alpha() - a.alpha()) * t)));
}

} // namespace

QBrush Gradient::brush(const ColorTransform &cxform) const
{
    // No stops: players fill black.
    if (stops.isEmpty())
        return QBrush(cxform.apply(Qt::black));
    if (stops.size() == 1)
        return QBrush(cxform.apply(stops.first().color));

    const bool increasing = std::adjacent_find(stops.cbegin(), stops.cend(), [](const Stop &a, const Stop &b) {
        return b.ratio <= a.ratio;
    }) == stops.cend();
    QGradientStops qstops;
    if (increasing) {
        const Stop *previous = nullptr;
        for (const Stop &stop : stops) {
            const QColor color = cxform.apply(stop.color);
            // Qt interpolates in sRGB only: linear-light gradients get extra
            // stops computed here so that the curve between them is close.
            // The curve is steep near black, where eight steps left errors
            // of a few dozen levels; 32 keep them within a level or two.
            if (linearRgb && previous) {
                const QColor start = cxform.apply(previous->color);
                constexpr int steps = 32;
                for (int i = 1; i < steps; ++i) {
                    const double t = double(i) / steps;
                    qstops.append({previous->ratio + (stop.ratio - previous->ratio) * t,
                                   mixLinearLight(start, color, t)});
                }
            }
            qstops.append({stop.ratio, color});
            previous = &stop;
        }
    } else {
        // A ratio that does not grow is moved a step (1/255) past the one
        // before, as players do, and stops pushed beyond the end are
        // dropped. Yet the blend towards a stop starts from the ratio the
        // stop before it was given in the file, not the moved one. Qt cannot
        // express that, so the ramp is sampled at every ratio.
        struct Placed { double at; double from; QColor color; };
        QVector<Placed> placed;
        for (const Stop &stop : stops) {
            double at = stop.ratio;
            if (!placed.isEmpty()) {
                if (placed.last().at >= 1.0)
                    break;
                at = std::max(at, std::min(placed.last().at + 1.0 / 255, 1.0));
            }
            placed.append({at, stop.ratio, stop.color});
        }
        for (int k = 0; k <= 255; ++k) {
            const double t = k / 255.0;
            const auto it = std::find_if(placed.cbegin(), placed.cend(),
                                         [t](const Placed &p) { return p.at >= t - 1e-9; });
            QColor color;
            if (it == placed.cend()) {
                color = placed.last().color;
            } else if (it == placed.cbegin()) {
                color = it->color;
            } else {
                const Placed &a = *(it - 1), &b = *it;
                const double span = b.at - a.from;
                const double f = span > 1e-9 ? std::clamp((t - a.from) / span, 0.0, 1.0) : 1.0;
                color = linearRgb ? mixLinearLight(a.color, b.color, f) : interpolation::mix(a.color, b.color, f);
            }
            // Players look the ramp up in a table of 256 entries without
            // blending neighbours, so each entry is a flat band.
            const QColor c = cxform.apply(color);
            qstops.append({k / 256.0, c});
            qstops.append({(k + 1) / 256.0 - 1e-6, c});
        }
    }

    QGradient gradient;
    if (kind == Kind::Linear) {
        gradient = QLinearGradient(-kHalfSquare, 0, kHalfSquare, 0);
    } else {
        // Qt wants the focal point strictly inside the circle.
        const double f = kind == Kind::Focal ? std::clamp(focal, -0.98, 0.98) : 0.0;
        gradient = QRadialGradient(QPointF(0, 0), kHalfSquare, QPointF(f * kHalfSquare, 0));
    }
    gradient.setStops(qstops);
    // Players blend the stops' straight (not premultiplied) components;
    // that differs from Qt's default only where the stops' alphas differ.
    const bool alphasDiffer = std::any_of(qstops.cbegin(), qstops.cend(), [&](const QGradientStop &s) {
        return s.second.alpha() != qstops.first().second.alpha();
    });
    if (alphasDiffer)
        gradient.setInterpolationMode(QGradient::ComponentInterpolation);
    gradient.setSpread(spread == Spread::Reflect  ? QGradient::ReflectSpread
                       : spread == Spread::Repeat ? QGradient::RepeatSpread
                                                  : QGradient::PadSpread);
    QBrush brush(gradient);
    brush.setTransform(matrix);
    return brush;
}

Gradient Gradient::interpolated(const Gradient &from, const Gradient &to, double t)
{
    using interpolation::mix;
    Gradient out = from;
    out.focal = mix(from.focal, to.focal, t);
    out.matrix = mix(from.matrix, to.matrix, t);
    const qsizetype n = std::min(from.stops.size(), to.stops.size());
    out.stops.resize(n);
    for (qsizetype i = 0; i < n; ++i) {
        out.stops[i].ratio = mix(from.stops[i].ratio, to.stops[i].ratio, t);
        out.stops[i].color = mix(from.stops[i].color, to.stops[i].color, t);
    }
    return out;
}

} // namespace swf
