// A long game through the real handlers on the offscreen platform: the
// bundled stories set up again and again, each time with drops, a
// confirmation and its movie played a few frames. Memory must settle once
// the first hundred are behind, and no file may be left open; the
// sanitizer build's LeakSanitizer reports any leak when the test ends.
#include "AiutoPartita.h"
#include "Form1.h"
#include "Modulo1.h"

#include "platform/App.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/MessageBox.h"
#include "platform/MovieControl.h"
#include "platform/MovieView.h"
#include "platform/Random.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QtTest>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define SOTTO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOTTO_ASAN 1
#endif
#endif

namespace {

#ifdef SOTTO_ASAN
// A leak shows after one set-up; the sanitizer's quarantine of freed memory
// makes resident memory meaningless there.
constexpr int Preparazioni = 1000;
constexpr bool MisuraMemoria = false;
#else
constexpr int Preparazioni = 10000;
constexpr bool MisuraMemoria = true;
#endif
constexpr int Iniziali = 100;
constexpr int FotogrammiPerFilmato = 3;

double residenteMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> campi = statm.readAll().split(' ');
    return campi.size() < 2 ? 0 : campi[1].toDouble() * double(::sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// The open descriptors and what each one is.
QMap<QString, QString> descrittori()
{
    QMap<QString, QString> aperti;
    const QDir cartella(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : cartella.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        aperti.insert(fd, QFile::symLinkTarget(cartella.filePath(fd)));
    return aperti;
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void moltePreparazioni();
};

void TestSoak::moltePreparazioni()
{
    int finestrelle = 0;
    platform::MessageBox::setResponder([&finestrelle](const platform::MessageBox::Shown &) {
        ++finestrelle;
        return platform::MessageBox::ResultOk;
    });
    platform::Random::Randomize(20240611);
    Modulo1::SuoniAttivi = -1;

    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    QVERIFY2(finestra.numeroEsercizi() >= 8,
             qPrintable(QStringLiteral("no bundled stories in %1/gif").arg(platform::App::Path())));
    auto *filmato = finestra.findChild<platform::MovieView *>();
    QVERIFY(filmato);

    double memoriaIniziale = 0;
    QMap<QString, QString> apertiIniziali;
    int esatti = 0, errati = 0;
    for (int i = 1; i <= Preparazioni; ++i) {
        if (i > 1)
            finestra.BottoneAvanti_Click();
        QVERIFY(AiutoPartita::permutazione(AiutoPartita::etichette(finestra)));
        // Every tenth exercise is first confirmed in a wrong order.
        if (i % 10 == 0) {
            AiutoPartita::scompiglia(finestra);
            finestra.BottoneConferma_Click();
            ++errati;
        }
        AiutoPartita::metteInOrdine(finestra);
        finestra.BottoneConferma_Click();
        ++esatti;
        QVERIFY(finestra.ShockwaveFlash1->isPlaying());
        for (int f = 0; f < FotogrammiPerFilmato; ++f) {
            filmato->runFrames(1);
            QCoreApplication::processEvents();
        }
        if (i == Iniziali) {
            memoriaIniziale = residenteMiB();
            apertiIniziali = descrittori();
        }
    }
    const double memoriaFinale = residenteMiB();
    const QMap<QString, QString> apertiFinali = descrittori();

    // Counted right, every one of them.
    QCOMPARE(Modulo1::ContatoreEsatti, qint16(esatti));
    QCOMPARE(Modulo1::ContatoreErrati, qint16(errati));
    QCOMPARE(finestra.EtichettaEsatti->Caption(), QStringLiteral(" %1").arg(esatti));
    QCOMPARE(finestra.EtichettaErrati->Caption(), QStringLiteral(" %1").arg(errati));
    QCOMPARE(finestrelle, 0);
    QVERIFY(filmato->renderCount() >= Preparazioni);

    QStringList lasciatiAperti;
    for (auto it = apertiFinali.cbegin(); it != apertiFinali.cend(); ++it) {
        if (apertiIniziali.value(it.key()) != it.value())
            lasciatiAperti << it.key() + QStringLiteral(" -> ") + it.value();
    }
    QVERIFY2(lasciatiAperti.isEmpty(), qPrintable(lasciatiAperti.join(QStringLiteral(", "))));

    qInfo("%d set-ups: %.1f MiB resident after %d, %.1f MiB after the last", Preparazioni,
          memoriaIniziale, Iniziali, memoriaFinale);
    if (MisuraMemoria)
        QVERIFY2(memoriaFinale <= memoriaIniziale * 1.1,
                 qPrintable(QStringLiteral("%1 MiB after %2 set-ups, %3 MiB after %4")
                                .arg(memoriaFinale).arg(Preparazioni).arg(memoriaIniziale).arg(Iniziali)));
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
