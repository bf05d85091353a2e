// The corpus test's own rules: what it reads from test.toml and when a
// picture counts as matching its reference.
#include "ImageDiff.h"
#include "TestToml.h"

#include <QtTest>

class TestCorpusCompare : public QObject
{
    Q_OBJECT
private slots:
    void toml_data();
    void toml();
    void checksInQuotedTables();
    void diff_data();
    void diff();
};

void TestCorpusCompare::toml_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("low");
    QTest::addColumn<QSize>("viewport");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<qlonglong>("outliers");
    QTest::addColumn<bool>("known");

    QTest::newRow("plain") << "num_frames = 3\n[image_comparisons.output]\ntolerance = 2\nmax_outliers = 18\n"
                           << 3 << false << QSize() << 2 << 18ll << false;
    QTest::newRow("ticks, low, viewport")
        << "num_ticks = 7 # ticks\n[image_comparisons.output]\nknown_failure = true\n"
           "[player_options]\nwith_renderer = { optional = false, quality = \"low\" }\n"
           "viewport_dimensions = { width = 800, height = 400, scale_factor = 1.0 }\n"
        << 7 << true << QSize(800, 400) << 0 << 0ll << true;
    QTest::newRow("high quality") << "[image_comparisons.output]\n[player_options]\n"
                                     "with_renderer = { quality = \"high\" }\n"
                                  << 1 << false << QSize() << 0 << 0ll << false;
}

void TestCorpusCompare::toml()
{
    QFETCH(QString, text);
    const TestToml t = TestToml::parse(text);
    QTEST(t.frames, "frames");
    QTEST(t.lowQuality, "low");
    QTEST(t.viewport, "viewport");
    QCOMPARE(t.comparisons.size(), std::size_t(1));
    QCOMPARE(t.comparisons[0].name, QStringLiteral("output"));
    QCOMPARE(t.comparisons[0].checks.size(), std::size_t(1));
    QTEST(t.comparisons[0].checks[0].tolerance, "tolerance");
    QTEST(qlonglong(t.comparisons[0].checks[0].maxOutliers), "outliers");
    QTEST(t.comparisons[0].knownFailure, "known");
}

void TestCorpusCompare::checksInQuotedTables()
{
    const TestToml t = TestToml::parse(QStringLiteral(
        "num_frames = 20\n[image_comparisons.\"output.01\"]\ntrigger = 1\n"
        "[[image_comparisons.\"output.01\".checks]]\ntolerance = 5\nmax_outliers = 20000\n"
        "[[image_comparisons.\"output.01\".checks]]\ntolerance = 50\nmax_outliers = 300\n"
        "[image_comparisons.\"output.10\"]\ntrigger = 10\n"
        "[[image_comparisons.\"output.10\".checks]]\ntolerance = 1\n"));
    QCOMPARE(t.frames, 20);
    QCOMPARE(t.comparisons.size(), std::size_t(2));
    QCOMPARE(t.comparisons[0].name, QStringLiteral("output.01"));
    QCOMPARE(t.comparisons[0].trigger, 1);
    QCOMPARE(t.comparisons[0].checks.size(), std::size_t(2));
    QCOMPARE(t.comparisons[0].checks[1].tolerance, 50);
    QCOMPARE(t.comparisons[0].checks[1].maxOutliers, 300ll);
    QCOMPARE(t.comparisons[1].trigger, 10);
    QCOMPARE(t.comparisons[1].checks[0].tolerance, 1);
}

void TestCorpusCompare::diff_data()
{
    QTest::addColumn<int>("changed");     // pixels of a 100x100 picture changed
    QTest::addColumn<int>("by");          // in the red channel, by this much
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<qlonglong>("outliers");
    QTest::addColumn<bool>("passes");

    QTest::newRow("within tolerance") << 10000 << 3 << 3 << 0ll << true;
    QTest::newRow("just past tolerance") << 10000 << 4 << 3 << 0ll << false;
    QTest::newRow("0.5% of pixels") << 50 << 100 << 3 << 0ll << true;
    QTest::newRow("0.51% of pixels") << 51 << 100 << 3 << 0ll << false;
    QTest::newRow("outliers allowed") << 400 << 100 << 3 << 400ll << true;
    QTest::newRow("outliers exceeded") << 401 << 100 << 3 << 400ll << false;
}

void TestCorpusCompare::diff()
{
    QFETCH(int, changed);
    QFETCH(int, by);
    QFETCH(int, tolerance);
    QFETCH(qlonglong, outliers);
    QImage reference(100, 100, QImage::Format_RGB32);
    reference.fill(QColor(100, 100, 100));
    QImage rendered = reference.copy();
    for (int i = 0; i < changed; ++i)
        rendered.setPixelColor(i % 100, i / 100, QColor(100 + by, 100, 100));
    const ImageDiff d = ImageDiff::compare(rendered, reference, tolerance);
    QTEST(d.passes(outliers), "passes");
    QCOMPARE(d.largest, by);
}

QTEST_MAIN(TestCorpusCompare)
#include "tst_corpuscompare.moc"
