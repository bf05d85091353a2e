#pragma once

#include <QSize>
#include <QString>
#include <vector>

// The few settings of a visual test's test.toml that decide how it is run
// and compared. Not a TOML parser: it reads the subset these files use
// (tables, arrays of tables, numbers, booleans, strings, inline tables).
struct TestToml
{
    struct Check
    {
        int tolerance = 0;
        long long maxOutliers = 0;   // channel values allowed past the tolerance
    };
    struct Comparison
    {
        QString name;                // NAME of NAME.expected.png
        int trigger = 0;             // 1-based frame to capture at; 0: the last
        bool knownFailure = false;
        std::vector<Check> checks;
    };

    int frames = 1;
    bool lowQuality = false;
    QSize viewport;                  // empty: the stage's own size
    std::vector<Comparison> comparisons;

    static TestToml parse(const QString &text);
};
