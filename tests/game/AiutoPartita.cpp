#include "AiutoPartita.h"

#include "ContenutoProva.h"
#include "Form1.h"

#include "platform/Image.h"

#include <QtTest>

bool AiutoPartita::mostraEAttendi(Form1 &finestra)
{
    finestra.Show();
    return QTest::qWaitFor([&] { return !finestra.Image1[0]->Tag().isEmpty(); }, 5000);
}

QStringList AiutoPartita::etichette(const Form1 &finestra)
{
    QStringList tag;
    for (const platform::Image *slot : finestra.Image1)
        tag << slot->Tag();
    return tag;
}

QList<int> AiutoPartita::scenePerColore(const Form1 &finestra)
{
    QList<int> scene;
    for (const platform::Image *slot : finestra.Image1) {
        const platform::Picture immagine = slot->picture();
        scene << (immagine.isNull() ? 0 : ContenutoProva::scenaDelColore(immagine.image().pixel(0, 0)));
    }
    return scene;
}

bool AiutoPartita::permutazione(const QStringList &etichette)
{
    QStringList ordinate = etichette;
    ordinate.sort();
    return ordinate == QStringList({ "1", "2", "3", "4", "5" });
}

bool AiutoPartita::risolto(const Form1 &finestra)
{
    return etichette(finestra) == QStringList({ "1", "2", "3", "4", "5" });
}

void AiutoPartita::metteInOrdine(Form1 &finestra)
{
    for (int i = 0; i < 5; ++i) {
        for (int j = i; j < 5; ++j) {
            if (finestra.Image1[j]->Tag() == QString::number(i + 1)) {
                if (j != i)
                    finestra.Image1_DragDrop(static_cast<qint16>(i), finestra.Image1[j], 0, 0);
                break;
            }
        }
    }
}

void AiutoPartita::scompiglia(Form1 &finestra)
{
    if (risolto(finestra))
        finestra.Image1_DragDrop(0, finestra.Image1[1], 0, 0);
}

void AiutoPartita::trascina(Form1 &finestra, int da, QWidget *bersaglio, QPoint punto)
{
    QWidget *sorgente = finestra.Image1[da]->widget();
    const QPoint partenza = sorgente->rect().center();
    const QPoint arrivo = sorgente->mapFromGlobal(bersaglio->mapToGlobal(punto));
    // A detour first, so that a drop back onto the source is a real drag.
    const QPoint deviazione = partenza + QPoint(0, sorgente->height());
    QTest::mousePress(sorgente, Qt::LeftButton, {}, partenza);
    QTest::mouseMove(sorgente, partenza + QPoint(2, 2));
    QTest::mouseMove(sorgente, deviazione);
    QTest::mouseMove(sorgente, arrivo);
    QTest::mouseRelease(sorgente, Qt::LeftButton, {}, arrivo);
}

void AiutoPartita::trascina(Form1 &finestra, int da, int a)
{
    QWidget *bersaglio = finestra.Image1[a]->widget();
    trascina(finestra, da, bersaglio, bersaglio->rect().center());
}
