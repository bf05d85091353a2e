#include "ContenutoProva.h"
#include "Modulo1.h"
#include "ModuloColoriSuoni.h"

#include "platform/Random.h"
#include "platform/Sound.h"

#include <QHash>
#include <QtTest>

#include <array>
#include <vector>

class TestColoriSuoni : public QObject
{
    Q_OBJECT
private slots:
    void coloreCasuale_slotUniformi();
    void suonoErrore_data();
    void suonoErrore();
    void suonoErrore_senzaFileNonSiFerma();
};

namespace {
// Slot 1 to 18, as the palette lists them (BBGGRR).
const std::array<qint32, 18> Tavolozza = {
    0xC0C0FF, 0x8080FF, 0x0080FF, 0x80C0FF, 0x0080FF, 0xC0FFFF, 0x00FFFF, 0x0040C0, 0x80FF80,
    0x00C000, 0xFFFFC0, 0xFFFF00, 0xFFC0C0, 0xFFC0FF, 0xFFC0FF, 0xE0E0E0, 0xFFC0FF, 0xFF00FF,
};
}

void TestColoriSuoni::coloreCasuale_slotUniformi()
{
    // The same seed gives the same Rnd values, so the slot behind every
    // colour can be told: it must be Int(r * 18) + 1, and over many draws
    // the 18 slots must come up equally often.
    const int estrazioni = 36000;
    platform::Random::Randomize(20031207);
    std::vector<float> r(estrazioni);
    for (float &x : r)
        x = platform::Random::Rnd();

    platform::Random::Randomize(20031207);
    std::array<int, 18> perSlot {};
    for (int i = 0; i < estrazioni; ++i) {
        const int slot = static_cast<int>(r[i] * 18.0);
        QCOMPARE(ModuloColoriSuoni::ColoreCasuale(), Tavolozza[slot]);
        ++perSlot[slot];
    }

    const double atteso = estrazioni / 18.0;
    double chiQuadro = 0;
    for (int n : perSlot)
        chiQuadro += (n - atteso) * (n - atteso) / atteso;
    // 17 degrees of freedom: 40.79 is the 0.1 % point.
    QVERIFY2(chiQuadro < 40.79, qPrintable(QString::number(chiQuadro)));
}

void TestColoriSuoni::suonoErrore_data()
{
    QTest::addColumn<qint16>("suoniAttivi");
    QTest::addColumn<int>("richieste");
    QTest::newRow("acceso") << qint16(-1) << 1;
    QTest::newRow("spento") << qint16(0) << 0;
}

void TestColoriSuoni::suonoErrore()
{
    QFETCH(qint16, suoniAttivi);
    QFETCH(int, richieste);

    ContenutoProva contenuto;
    Modulo1::SuoniAttivi = suoniAttivi;
    const int prima = platform::Sound::requestCount();
    ModuloColoriSuoni::SuonoErrore();
    QCOMPARE(platform::Sound::requestCount() - prima, richieste);
    if (richieste > 0)
        QCOMPARE(QFileInfo(platform::Sound::lastRequest()).absoluteFilePath(),
                 QFileInfo(contenuto.percorso() + QStringLiteral("/suoni/no.wav")).absoluteFilePath());
}

void TestColoriSuoni::suonoErrore_senzaFileNonSiFerma()
{
    // No suoni/no.wav in this folder: every call still asks for the sound
    // and returns, in silence.
    ContenutoProva contenuto;
    Modulo1::SuoniAttivi = -1;
    const int prima = platform::Sound::requestCount();
    for (int i = 0; i < 3; ++i)
        ModuloColoriSuoni::SuonoErrore();
    QCOMPARE(platform::Sound::requestCount() - prima, 3);
}

QTEST_MAIN(TestColoriSuoni)
#include "tst_colorisuoni.moc"
