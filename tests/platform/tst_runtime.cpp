#include "Random.h"
#include "Screen.h"
#include "Text.h"
#include "Twips.h"

#include <QtTest>

using namespace platform;

// The runtime's small conversions: numbers to text, random draws, twips.
class TestRuntime : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        Twips::overrideDpi(0);
        Screen::overrideSize(0, 0);
    }

    void str_data()
    {
        QTest::addColumn<long>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0L << " 0";
        QTest::newRow("one") << 1L << " 1";
        QTest::newRow("minus one") << -1L << "-1";
        QTest::newRow("large") << 1234567L << " 1234567";
        QTest::newRow("most negative 32-bit") << -2147483648L << "-2147483648";
    }
    void str()
    {
        QFETCH(long, value);
        QFETCH(QString, expected);
        QCOMPARE(Text::Str(value), expected);
    }

    void trim_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks both sides") << "  ab c  " << "ab c";
        QTest::newRow("only blanks") << "    " << "";
        QTest::newRow("tabs are kept") << "\tx\t" << "\tx\t";
        QTest::newRow("line breaks kept") << " a\r\n " << "a\r\n";
        QTest::newRow("empty") << "" << "";
    }
    void trim()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(Text::Trim(text), expected);
    }

    void ucase()
    {
        QCOMPARE(Text::UCase(QStringLiteral("@lt,wè")), QStringLiteral("@LT,WÈ"));
    }

    void rndStaysBelowOne()
    {
        Random::Randomize(42);
        float lowest = 1, highest = 0;
        for (int i = 0; i < 200000; ++i) {
            const float r = Random::Rnd();
            QVERIFY2(r >= 0.0f && r < 1.0f, qPrintable(QString::number(double(r), 'g', 10)));
            lowest = std::min(lowest, r);
            highest = std::max(highest, r);
        }
        // Spread over the whole range, not stuck in a corner of it.
        QVERIFY(lowest < 0.001f);
        QVERIFY(highest > 0.999f);
        // Five slots drawn as Int(Rnd * 5) all come up.
        QSet<int> drawn;
        for (int i = 0; i < 1000; ++i)
            drawn.insert(int(Random::Int(Random::Rnd() * 5)));
        QCOMPARE(drawn, (QSet<int>{0, 1, 2, 3, 4}));
    }

    void rndRepeatsUnderASeed()
    {
        Random::Randomize(7);
        QList<float> first;
        for (int i = 0; i < 20; ++i)
            first.append(Random::Rnd());
        Random::Randomize(7);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(Random::Rnd(), first.at(i));
        Random::Randomize(8);
        QList<float> other;
        for (int i = 0; i < 20; ++i)
            other.append(Random::Rnd());
        QVERIFY(other != first);
    }

    void clockSeedsDiffer()
    {
        Random::Randomize();
        const float a = Random::Rnd();
        QTest::qWait(2);
        Random::Randomize();
        const float b = Random::Rnd();
        Random::Randomize();
        const float c = Random::Rnd();
        QVERIFY(a != b || b != c);
    }

    void intIsFloor_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("positive") << 4.99 << 4.0;
        QTest::newRow("whole") << 3.0 << 3.0;
        QTest::newRow("negative") << -0.5 << -1.0;
        QTest::newRow("727.5") << 727.5 << 727.0;
    }
    void intIsFloor()
    {
        QFETCH(double, value);
        QFETCH(double, expected);
        QCOMPARE(Random::Int(value), expected);
    }

    void twips_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<double>("perPixel");
        QTest::newRow("96 dpi") << 96.0 << 15.0;
        QTest::newRow("120 dpi") << 120.0 << 12.0;
        QTest::newRow("144 dpi") << 144.0 << 10.0;
    }
    void twips()
    {
        QFETCH(double, dpi);
        QFETCH(double, perPixel);
        Twips::overrideDpi(dpi);
        QCOMPARE(Twips::perPixelX(), perPixel);
        QCOMPARE(Twips::perPixelY(), perPixel);
        QCOMPARE(Twips::fromPixelsX(100), 100 * perPixel);
        QCOMPARE(Twips::toPixelsY(1440), dpi);
    }

    void twipsFollowTheScreen()
    {
        const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        QCOMPARE(Twips::perPixelX(), 1440.0 / dpi);
        const QSize pixels = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(Screen::Width(), pixels.width() * 1440.0 / dpi);
        Screen::overrideSize(960, 720);
        QCOMPARE(Screen::Width(), 960.0);
        QCOMPARE(Screen::Height(), 720.0);
        Screen::overrideSize(0, 0);
        QCOMPARE(Screen::Width(), pixels.width() * 1440.0 / dpi);
    }
};

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"
